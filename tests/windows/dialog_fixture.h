#pragma once
// What the dialog tests share: the process-wide state the dialogs read and
// write, put back by a guard whatever a test does, and the operator, who acts
// while Execute waits and then presses a button.
#include "platform/messagebox.h"
#include "platform/printers.h"
#include "report/RLConsts.h"
#include "report/filters/RLFilters.h"
#include "report/printing/RLPrinters.h"
#include "support/test_support.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace prenso::test {

class DialogTest : public ::testing::Test {
protected:
    // Puts the process-wide state back, also after a failed assertion.
    struct StateGuard {
        const char *dialogs = std::getenv("PRENSO_DIALOGS");
        const std::string saved = dialogs ? dialogs : "";
        ~StateGuard()
        {
            dialogs ? ::setenv("PRENSO_DIALOGS", saved.c_str(), 1) : ::unsetenv("PRENSO_DIALOGS");
            setMessageBoxHook({});
            SetSelectedFilter(nullptr);
            printing::setPrinterListSourceForTesting({});
            ResetRLPrinterForTesting();
            SetActiveLocaleForTesting(std::nullopt);
        }
    } guard;

    void SetUp() override
    {
        SetActiveLocaleForTesting(TRLLanguage::Portuguese);
        usePrinters({QStringLiteral("Alpha"), QStringLiteral("Beta")});
        setMessageBoxHook([this](BoxKind kind, const QString &, const QString &text) {
            boxes << (kind == BoxKind::Plain ? "plain: " : "error: ") + text;
        });
        ::unsetenv("PRENSO_DIALOGS"); // Execute waits for a press, as it does for the user
    }

    static void unattended() { ::setenv("PRENSO_DIALOGS", "auto", 1); }
    static void usePrinters(const QStringList &names)
    {
        printing::setPrinterListSourceForTesting([names] { return names; });
        ResetRLPrinterForTesting();
    }

    // Runs the dialog's Execute while the operator does `acts` and then
    // presses `button`. A dialog still open after ten seconds is cancelled
    // and the test fails instead of hanging.
    template <typename Dialog>
    static bool execute(
        Dialog &dialog, QAbstractButton *button, const std::function<void()> &acts = [] {})
    {
        bool stuck = false;
        QTimer::singleShot(0, &dialog, [&] {
            acts();
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QTimer::singleShot(10000, &dialog, [&] {
            stuck = true;
            dialog.reject();
        });
        const bool result = dialog.Execute();
        EXPECT_FALSE(stuck) << "the dialog was still waiting for the operator";
        return result;
    }

    // The operator replaces a field's text by typing.
    static void type(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }
    // The operator picks entry `index` of a drop-down list with the keyboard.
    static void choose(QComboBox *list, int index)
    {
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(list, Qt::Key_Down);
    }
    static QStringList items(const QComboBox *list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }

    QStringList boxes; // the message boxes shown, as kind: text
};

} // namespace prenso::test
