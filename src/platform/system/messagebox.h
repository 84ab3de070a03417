#pragma once
// Message boxes. An error box is modal, shows the error icon, has the
// application's title as its caption and the message as its text, with a full
// stop appended unless the message already ends in a character whose code is
// that of the full stop or lower.
//
// A box is only shown when someone can answer it. Nobody can when the program
// runs without a display (Qt's offscreen or minimal platform, which the
// program takes when there is no display to connect to) or when
// PRENSO_DIALOGS=auto is set (automated runs): then the caption and text go to
// standard error instead, and a dialog that needs the operator's choice is an
// error (ENoOperator) rather than a wait that would never end.
// PRENSO_DIALOGS=attended says the opposite: someone answers even on the
// offscreen platform (the tests that press the buttons themselves).

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

// True when nobody can answer a window: no display to show it on, or
// PRENSO_DIALOGS=auto. Nothing may then wait for a click.
bool dialogsAutomatic();

// How many error boxes the run (its session) has shown, or written to
// standard error, so far: a run that showed one ends with a failure status.
int errorBoxCount();

// Tests may catch every box instead of showing it: (icon kind, caption, text).
enum class BoxKind { Error, Plain };
using MessageBoxHook = std::function<void(BoxKind, const QString &caption, const QString &text)>;
void setMessageBoxHook(MessageBoxHook hook);

} // namespace prenso
