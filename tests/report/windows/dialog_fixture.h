#pragma once
// What the dialog tests share: the process-wide state the dialogs read and
// write, put back by a guard whatever a test does, and the operator, who acts
// while Execute waits and then presses a button.
#include "platform/printing/printers.h"
#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/filters/RLFilters.h"
#include "report/printing/RLPrinters.h"
#include "support/operator.h"
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
        attended(); // Execute waits for a press, as it does for the user
    }

    // Someone answers the windows (the test, pressing their buttons), although
    // the offscreen platform shows them to nobody.
    static void attended() { ::setenv("PRENSO_DIALOGS", "attended", 1); }
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

    // The operator replaces a field's text by typing, picks list entries with
    // the keyboard.
    static void type(QLineEdit *field, const QString &text) { test::type(field, text); }
    static void choose(QComboBox *list, int index) { test::choose(list, index); }
    static QStringList items(const QComboBox *list) { return test::items(list); }

    QStringList boxes; // the message boxes shown, as kind: text
};

} // namespace prenso::test
