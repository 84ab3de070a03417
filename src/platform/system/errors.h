#pragma once
// Errors are exceptions that carry a message (a text the user reads) and the
// name of their kind, which the report engine shows when a preparation fails.
// A silent abort is its own type: callers let it pass without a message box.

#include <QString>

#include <exception>
#include <string>

namespace prenso {

class Exception : public std::exception {
public:
    explicit Exception(QString message, const char *className = "Exception");
    const QString &message() const noexcept { return m_message; }
    const char *className() const noexcept { return m_className; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_message;
    const char *m_className;
    std::string m_what;
};

// The kinds the program raises, named as the user has always seen them.
struct EConvertError : Exception {
    explicit EConvertError(QString m) : Exception(std::move(m), "EConvertError") {}
};
struct EInOutError : Exception {
    explicit EInOutError(QString m) : Exception(std::move(m), "EInOutError") {}
};
struct EFCreateError : Exception {
    explicit EFCreateError(QString m) : Exception(std::move(m), "EFCreateError") {}
};
struct EFOpenError : Exception {
    explicit EFOpenError(QString m) : Exception(std::move(m), "EFOpenError") {}
};
struct EInvalidCast : Exception {
    explicit EInvalidCast(QString m = QStringLiteral("Invalid class typecast"))
        : Exception(std::move(m), "EInvalidCast")
    {}
};
struct EListError : Exception {
    explicit EListError(QString m) : Exception(std::move(m), "EListError") {}
};
struct EReadError : Exception {
    explicit EReadError(QString m) : Exception(std::move(m), "EReadError") {}
};

// A window that needs the operator's answer was asked for where nobody can
// answer it (no display, or an unattended run).
struct ENoOperator : Exception {
    explicit ENoOperator(QString m) : Exception(std::move(m), "ENoOperator") {}
};

// The operator cancelled: end the operation and show nothing.
class SilentAbort : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

// Integer conversion as the user knows it: leading blanks, an optional sign and
// decimal digits ("$" for hexadecimal); trailing blanks are not accepted. Raises EConvertError with
// "'%s' is not a valid integer value".
int StrToInt(const QString &text);
// The same without raising: returns false when the text is not an integer.
bool TryStrToInt(const QString &text, int &value);

// The system error text of an errno value, in the user's language.
QString SystemErrorMessage(int errnoValue);

} // namespace prenso
