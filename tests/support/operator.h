#pragma once
// The operator at the screen, played by a test: types into fields, picks
// list entries with the keyboard and answers the modal window that the code
// under test opens (and waits on) by itself.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace prenso::test {

// Replaces a field's text by typing.
inline void type(QLineEdit *field, const QString &text)
{
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// Picks entry `index` of a drop-down list with the keyboard.
inline void choose(QComboBox *list, int index)
{
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(list, Qt::Key_Down);
}

// A click and a key as the window system delivers them: through the window
// of the widget, so that a window that a modal one blocks does not get them,
// as it would not get the user's. A key goes to the window's focus.
inline void clickThroughWindow(QWidget *widget)
{
    QWidget *window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      widget->mapTo(window, widget->rect().center()));
}
inline void keyThroughWindow(QWidget *window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

// Waits until `window` is the active window, the one whose focus the keys
// go to. (QTest's own wait takes the window of an active dialog for active.)
inline bool becomesActive(QWidget *window, int timeoutMs = 5000)
{
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, timeoutMs);
}

inline QStringList items(const QComboBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

// Once a modal window of type W (and, when given, of that object name) is
// open, runs `answer` on it. The answer must close it (a button press, a key),
// or open the next window it waits for. A window still open `patienceMs`
// after it appeared is rejected and the test fails instead of hanging; a
// window that never appears is reported when the object goes.
template <typename W>
class AnswerWhenOpen {
public:
    AnswerWhenOpen(std::function<void(W &)> answer, const char *objectName = nullptr, int patienceMs = 10000)
        : m_answer(std::move(answer)), m_name(objectName), m_patience(patienceMs)
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { look(); });
        m_poll.start();
    }
    ~AnswerWhenOpen() { EXPECT_TRUE(m_answered) << "the window the operator waited for never opened"; }
    AnswerWhenOpen(const AnswerWhenOpen &) = delete;
    AnswerWhenOpen &operator=(const AnswerWhenOpen &) = delete;

    bool answered() const { return m_answered; }

private:
    void look()
    {
        auto *window = qobject_cast<W *>(QApplication::activeModalWidget());
        if (!window || (m_name && window->objectName() != QLatin1String(m_name)))
            return;
        m_poll.stop();
        m_answered = true;
        QPointer<W> guarded(window);
        QTimer::singleShot(m_patience, window, [guarded] {
            if (guarded && guarded->isVisible()) {
                ADD_FAILURE() << "the window was still waiting for the operator";
                guarded->reject();
            }
        });
        m_answer(*window);
    }

    std::function<void(W &)> m_answer;
    const char *m_name;
    int m_patience;
    QTimer m_poll;
    bool m_answered = false;
};

} // namespace prenso::test
