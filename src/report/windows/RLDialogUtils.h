#pragma once
// What the engine's dialogs share: their font, placing texts in a layout of
// fixed positions made for a small font, page and copy numbers in edit
// fields, and centring a window on its screen.

#include "platform/system/errors.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <initializer_list>

namespace prenso::dialogs {

// Controls carry their component name, by which tests and callers find them.
template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Between a text and the field it names.
inline constexpr int kGapBeforeField = 4;

// The positions and sizes were laid out for a small sans-serif 11 pixels
// high. Liberation Sans has Arial's widths, the closest this platform comes
// to it; where it is missing the platform's own family takes its place, at
// the same height, since a bigger text would run into the fields, whose
// places are fixed.
inline void useDesignedFont(QWidget *window)
{
    QFont font = window->font();
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), font.family()});
    font.setPixelSize(11);
    window->setFont(font);
}

// A text widget grows to what its text needs, around the designed middle
// line, and stays inside its box. A right-aligned label keeps its right
// edge, and a label that would run into the field that follows it moves left
// to make way: a translation may be longer than the text the room was made
// for.
inline void placeText(QWidget *widget, int left, int top, int width, int height, const QWidget *field = nullptr)
{
    constexpr int kBoxInset = 3;
    const QSize hint = widget->sizeHint();
    const int newWidth = std::max(width, hint.width());
    const int newHeight = std::max(height, hint.height());
    int x = left;
    if (const auto *label = qobject_cast<QLabel *>(widget); label && label->alignment() & Qt::AlignRight)
        x = left + width - newWidth;
    if (field)
        x = std::min(x, field->x() - kGapBeforeField - newWidth);
    x = std::min(x, widget->parentWidget()->width() - kBoxInset - newWidth);
    widget->setGeometry(x, top - (newHeight - height) / 2, newWidth, newHeight);
}

// When the text of a radio button needs more room than its row gives it,
// the controls after it on the row move right by what it lacks.
inline void makeRoom(const QWidget *text, std::initializer_list<QWidget *> following)
{
    const int lacking = text->x() + text->sizeHint().width() + kGapBeforeField - (*following.begin())->x();
    if (lacking > 0) {
        for (QWidget *widget : following)
            widget->move(widget->x() + lacking, widget->y());
    }
}

// A word-wrapped label keeps its width and takes the lines its text needs.
inline void placeWrapped(QLabel *label, int left, int top, int width, int height)
{
    label->setWordWrap(true);
    label->setGeometry(left, top, width, std::max(height, label->heightForWidth(width)));
}

// Page and copy numbers: 0 shows as an empty field, and a field that does
// not hold an integer reads as 0.
inline QString numberText(int value)
{
    return value == 0 ? QString() : QString::number(value);
}

inline int numberOf(const QString &text)
{
    int value = 0;
    return TryStrToInt(text, value) ? value : 0;
}

// Hides a window with `hide` (its base class's setVisible(false)); when it was
// the active window, the window it was opened over becomes the active one
// again. Nothing else does that: on a display without a window manager the
// X server leaves the keyboard with the bare screen once the active window
// is unmapped, so the keys the user goes on typing reach no window at all,
// and a window manager may hand it to any window it likes.
template <typename Hide>
void hideGivingBackTheKeyboard(QWidget *window, Hide hide)
{
    QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const bool wasActive = window->isVisible() && window->isActiveWindow();
    hide();
    if (wasActive && owner && owner->isVisible())
        owner->activateWindow();
}

// Centres the window on the screen it will show on (its parent's, or the
// primary screen).
inline void centerOnScreen(QWidget *window)
{
    const QWidget *parent = window->parentWidget();
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.x() + (area.width() - window->width()) / 2, area.y() + (area.height() - window->height()) / 2);
}

} // namespace prenso::dialogs
