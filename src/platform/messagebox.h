#pragma once
// Message boxes. An error box is modal, shows the error icon, has the
// application's title as its caption and the message as its text, with a full
// stop appended unless the message already ends in a character whose code is
// that of the full stop or lower.
//
// When PRENSO_DIALOGS=auto is set in the environment (automated runs and tests),
// boxes are not shown: their caption and text go to standard error instead, and
// dialogs that would wait for the operator take their default answer.

#include <QString>

#include <functional>

namespace prenso {

// The application's title: the executable's file name without extension.
QString applicationTitle();

// The message as the error box shows it.
QString withFullStop(const QString &message);

void showErrorBox(const QString &message);
// A box with the error icon and a text of the caller's (no full-stop rule).
void showErrorMessage(const QString &text);
// A plain box with one OK button and no icon.
void showPlainMessage(const QString &text);

// True when dialogs must not wait for an operator (PRENSO_DIALOGS=auto).
bool dialogsAutomatic();

// Tests may catch every box instead of showing it: (icon kind, caption, text).
enum class BoxKind { Error, Plain };
using MessageBoxHook = std::function<void(BoxKind, const QString &caption, const QString &text)>;
void setMessageBoxHook(MessageBoxHook hook);

} // namespace prenso
