#include "platform/system/errors.h"

#include <cerrno>
#include <climits>
#include <cstring>

namespace prenso {

Exception::Exception(QString message, const char *className)
    : m_message(std::move(message)), m_className(className), m_what(m_message.toStdString())
{}

bool TryStrToInt(const QString &text, int &value)
{
    // Accepts leading blanks, an optional sign followed by decimal digits, or "$" / "0x" hexadecimal,
    // as the runtime's conversion does; everything else is refused.
    const int n = text.size();
    int i = 0;
    // Leading blanks are skipped, as the runtime's conversion always did.
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return false;
    long long acc = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        acc = acc * base + digit;
        // Hexadecimal may fill all 32 bits (as $FFFFFFFF = -1); decimal must fit.
        const long long limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 2147483648LL : 2147483647LL);
        if (acc > limit)
            return false;
    }
    long long result = negative ? -acc : acc;
    if (base == 16 && !negative && result > INT_MAX)
        result -= 0x100000000LL;
    value = static_cast<int>(result);
    return true;
}

int StrToInt(const QString &text)
{
    int value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString SystemErrorMessage(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

} // namespace prenso
