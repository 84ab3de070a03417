// The setup screen as the operator works it: widgets found by their names,
// driven with clicks and keys, dialogs answered while they wait. What counts
// is what lands on disk (the launcher's bytes) and what the test button runs.
#include "app/Principal.h"
#include "platform/io/files.h"
#include "platform/printing/printers.h"
#include "platform/widgets/radiogroup.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"
#include "report/windows/RLPreview.h"
#include "report/windows/RLPreviewForm.h"
#include "support/operator.h"
#include "support/pdf_tools.h"
#include "support/test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

using namespace prenso;
using namespace prenso::test;

namespace {

const QStringList kPrinters = {QStringLiteral("EPSON LX"), QStringLiteral("HP 1"),
                               QStringLiteral("Sala \"A\" $HOME;`date`"), QStringLiteral("Impressão Fiscal")};

class SetupScreen : public ::testing::Test {
protected:
    void SetUp() override { binBefore = listFolder(files::executableFolder()); }
    void TearDown() override
    {
        screen.reset();
        printing::setPrinterListSourceForTesting({});
        ResetRLPrinterForTesting();
        EXPECT_EQ(listFolder(files::executableFolder()), binBefore) << "left beside the program";
    }

    // The program started without arguments, with these printers installed.
    TfrmPrincipal &open(const QStringList &printers)
    {
        printing::setPrinterListSourceForTesting([printers] { return printers; });
        ResetRLPrinterForTesting();
        screen = std::make_unique<TfrmPrincipal>(QStringList{QStringLiteral("Prenso")});
        screen->show();
        return *screen;
    }

    template <typename W>
    W *widget(const char *name)
    {
        W *w = screen->findChild<W *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char *name) { QTest::mouseClick(widget<QAbstractButton>(name), Qt::LeftButton); }
    void pick(const char *group, int item)
    {
        const auto buttons = widget<TRadioGroup>(group)->findChildren<QRadioButton *>();
        ASSERT_LT(item, buttons.size());
        QTest::mouseClick(buttons[item], Qt::LeftButton, {}, QPoint(5, 8));
    }
    void tick(const char *name, bool on)
    {
        if (widget<QCheckBox>(name)->isChecked() != on)
            click(name);
    }

    ScopedMessageBoxHook hook{[this](BoxKind kind, const QString &, const QString &text) {
        boxes << text;
        EXPECT_EQ(kind, BoxKind::Error) << text.toStdString();
    }};
    QStringList boxes;
    TempDir dir;
    QStringList binBefore;
    std::unique_ptr<TfrmPrincipal> screen;
};

std::string perms(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return (st.st_mode & S_IXUSR) ? "executable" : "not executable";
}

} // namespace

// Each case sets every control, so a later case on the same name shows that
// saving again leaves only the new line.
TEST_F(SetupScreen, SavesTheLauncherByteForByte)
{
    open(kPrinters);
    screen->SetLauncherProgram(QStringLiteral("/opt/meu prenso/Prenso"));
    struct Case {
        const char *file;
        int printer;
        int orientation;
        bool name, dotMatrix, preview, noDialog;
        const char *size, *font;
        std::string bytes;
        int table = 0; // the dot-matrix printer's character table (0: its own)
    } const cases[] = {
        {"lx.bat", 0, 1, true, false, false, false, "10", "Courier New",
         "Prenso /ARQ=%1 /ORI=Paisagem /IMPS=\"EPSON LX\" /FOS=10 /FON=\"Courier New\"\r\n"},
        // A table without the dot-matrix printer means nothing.
        {"item2.BAT", 2, 0, false, false, false, false, "", "", "Prenso /ARQ=%1 /ORI=Retrato /IMPI=2\r\n", 4},
        {"lx.bat", 1, 0, false, true, true, false, "", "",
         "Prenso /ARQ=%1 /ORI=Retrato /IMPI=1 /MAT=\"RLDraftFilter1\" /TAB=PC850 /VIS=\"SIM\"\r\n", 2},
        {"fiscal.Cmd", 3, 0, true, false, false, true, "", "",
         "Prenso /ARQ=%1 /ORI=Retrato /IMPS=\"Impress\xe3o Fiscal\" /DLG=NAO\r\n"},
        {"imprime", 2, 1, true, true, false, true, "12", "O'Brien Mono",
         "#!/bin/sh\nexec '/opt/meu prenso/Prenso' \"/ARQ=$1\" '/ORI=Paisagem' '/IMPS=Sala \"A\" $HOME;`date`' "
         "'/FOS=12' '/FON=O'\\''Brien Mono' '/MAT=RLDraftFilter1' '/DLG=NAO'\n"},
        {"imprime.sh", 3, 0, false, false, true, false, "", "",
         "#!/bin/sh\nexec '/opt/meu prenso/Prenso' \"/ARQ=$1\" '/ORI=Retrato' '/IMPI=3' '/VIS=SIM'\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        pick("rgpImpressora", c.printer);
        pick("rgpOrientacao", c.orientation);
        tick("ckbSalvaNomeImpressora", c.name);
        tick("ckbImpressoraMatricial", c.dotMatrix);
        widget<QComboBox>("cmbTabelaCaracteres")->setCurrentIndex(c.table);
        EXPECT_EQ(widget<QComboBox>("cmbTabelaCaracteres")->isEnabled(), c.dotMatrix);
        tick("chkVisualiza", c.preview);
        tick("ckbImprimirSemDialogo", c.noDialog);
        widget<QLineEdit>("edtFonteSize")->setText(QString::fromLatin1(c.size));
        widget<QLineEdit>("edtFonte")->setText(QString::fromLatin1(c.font));
        const QString path = dir.file(QString::fromLatin1(c.file));
        type(widget<QLineEdit>("edtArquivo"), path);
        click("btnSalvar");
        EXPECT_EQ(readFile(path), c.bytes);
        EXPECT_EQ(perms(path), c.bytes.starts_with("#!") ? "executable" : "not executable");
    }
    EXPECT_EQ(boxes, QStringList());
    EXPECT_EQ(listFolder(dir.path()), QStringList({"fiscal.Cmd", "imprime", "imprime.sh", "item2.BAT", "lx.bat"}))
        << "no temporary file stays";
}

// A PDF folder turns the launcher into an archiver: the folder as a full
// path, one separator before the form's own name, whatever was typed.
TEST_F(SetupScreen, PdfFolderGoesIntoTheLauncherAsAFullPath)
{
    open(kPrinters);
    screen->SetLauncherProgram(QStringLiteral("/opt/prenso/Prenso"));
    QDir().mkpath(dir.file(QStringLiteral("pdf's")));
    const std::string folder = dir.file(QStringLiteral("pdf's")).toStdString();
    pick("rgpImpressora", 1);
    struct Case {
        const char *file;
        QString typed;
        std::string bytes;
    } const cases[] = {
        {"arquiva.bat", dir.file(QStringLiteral("pdf's/")),
         "Prenso /ARQ=%1 /ORI=Retrato /IMPI=1 /PDF=\"" + folder + "\\%~n1.pdf\"\r\n"},
        {"arquiva", dir.file(QStringLiteral("pdf's")),
         "#!/bin/sh\nnome=${1##*/}\nexec '/opt/prenso/Prenso' \"/ARQ=$1\" '/ORI=Retrato' '/IMPI=1' '/PDF=" +
             dir.path().toStdString() + "/pdf'\\''s/'\"${nome%.*}.pdf\"\n"},
        // The root keeps its one separator.
        {"raiz", QStringLiteral("/"),
         "#!/bin/sh\nnome=${1##*/}\nexec '/opt/prenso/Prenso' \"/ARQ=$1\" '/ORI=Retrato' "
         "'/IMPI=1' '/PDF=/'\"${nome%.*}.pdf\"\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        type(widget<QLineEdit>("edtPastaPdf"), c.typed);
        const QString path = dir.file(QString::fromLatin1(c.file));
        type(widget<QLineEdit>("edtArquivo"), path);
        click("btnSalvar");
        EXPECT_EQ(readFile(path), c.bytes);
    }
    EXPECT_EQ(boxes, QStringList());

    // A folder that is not there would lose every form later: refused now.
    const QString missing = dir.file(QStringLiteral("nao-existe"));
    type(widget<QLineEdit>("edtPastaPdf"), missing);
    type(widget<QLineEdit>("edtArquivo"), dir.file(QStringLiteral("arquiva.bat")));
    click("btnSalvar");
    EXPECT_EQ(boxes, QStringList{QStringLiteral("A pasta \"%1\" não existe.").arg(missing)});
    EXPECT_EQ(readFile(dir.file(QStringLiteral("arquiva.bat"))), cases[0].bytes);
}

TEST_F(SetupScreen, SavingFailsWithABoxAndKeepsWhatWasThere)
{
    open(kPrinters);
    const QString launcher = dir.file(QStringLiteral("a.bat"));
    type(widget<QLineEdit>("edtArquivo"), launcher);
    writeFile(launcher, "old\r\n");
    click("btnSalvar");
    EXPECT_EQ(boxes, QStringList{QStringLiteral("Selecione uma impressora para a impressão do formulário.")});
    EXPECT_EQ(readFile(launcher), "old\r\n");

    pick("rgpImpressora", 0);
    // A folder that is not there, and one that takes no new file (as root a
    // read-only file system, since root writes into every folder).
    ScopedTmpfs ro(dir.file(QStringLiteral("ro")), 64);
    const QString kept = ro.path() + QStringLiteral("/kept.bat");
    writeFile(kept, "old\r\n");
    bool readOnly = true;
    if (ro.ok())
        readOnly = runTool(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,ro"), ro.path()})
                       .exitCode == 0;
    else if (::geteuid() == 0)
        readOnly = false;
    else
        QFile::setPermissions(ro.path(), QFile::ReadOwner | QFile::ExeOwner);
    QStringList paths{dir.file(QStringLiteral("nao/existe.bat"))};
    if (readOnly)
        paths << kept;
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        boxes.clear();
        type(widget<QLineEdit>("edtArquivo"), path);
        click("btnSalvar");
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path)))
            << boxes[0].toStdString();
    }
    EXPECT_EQ(readFile(kept), "old\r\n");
    EXPECT_EQ(listFolder(ro.path()), QStringList{QStringLiteral("kept.bat")});
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("nao"))));
    EXPECT_TRUE(screen->isVisible());
    QFile::setPermissions(ro.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(SetupScreen, DialogsFillTheFields)
{
    Attended attended;
    open(kPrinters);
    {
        // A launcher that does not exist yet, in the program's folder.
        const AnswerWhenOpen<QFileDialog> answer([](QFileDialog &d) {
            auto *name = d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            QTest::keyClicks(name, QStringLiteral("novo.bat"));
            QTest::keyClick(name, Qt::Key_Return);
        });
        click("btnAbrir");
    }
    EXPECT_EQ(widget<QLineEdit>("edtArquivo")->text(), files::executableFolder() + QStringLiteral("novo.bat"));
    EXPECT_EQ(widget<QLineEdit>("edtArquivoTeste")->text(), QString());
    {
        const AnswerWhenOpen<QFontDialog> answer([](QFontDialog &d) {
            d.setCurrentFont(QFont(QStringLiteral("Liberation Mono"), 11));
            d.accept();
        });
        click("SpeedButton1");
    }
    EXPECT_EQ(widget<QLineEdit>("edtFonteSize")->text(), QStringLiteral("11"));
    EXPECT_EQ(widget<QLineEdit>("edtFonte")->text(), QStringLiteral("Liberation Mono"));
    {
        const AnswerWhenOpen<QFileDialog> answer([this](QFileDialog &d) {
            EXPECT_EQ(d.objectName(), QStringLiteral("odPastaPdf"));
            // Walked into the folder, the operator takes it as it is.
            d.setDirectory(dir.path());
            auto *name = d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->clear();
            QTest::keyClick(name, Qt::Key_Return);
        });
        click("btnPastaPdf");
    }
    EXPECT_EQ(widget<QLineEdit>("edtPastaPdf")->text(), dir.path());
    EXPECT_EQ(boxes, QStringList());
}

// The test runs what the screen shows, always in the preview, with neither
// printer nor filter; it can run again and again, and its failures are boxes.
TEST_F(SetupScreen, TestButtonPreviewsTheScreensSettings)
{
    Attended attended;
    open({});
    const QString form = dir.file(QStringLiteral("teste com espacos.txt"));
    writeFile(form, "linha 1\r\n" + std::string(120, 'x') + "\r\n");
    tick("ckbImpressoraMatricial", true);
    struct Case {
        int orientation;
        const char *size, *font;
        bool landscape;
        const char *fontName;
        int fontSize;
    } const cases[] = {
        {1, "10", "Liberation Mono", true, "LIBERATION MONO", 10},
        {0, "", "", false, "Courier New", 7}, // the size follows the 120-character line
    };
    type(widget<QLineEdit>("edtArquivoTeste"), form);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fontName);
        pick("rgpOrientacao", c.orientation);
        widget<QLineEdit>("edtFonteSize")->setText(QString::fromLatin1(c.size));
        widget<QLineEdit>("edtFonte")->setText(QString::fromLatin1(c.font));
        int pages = 0;
        bool wide = false;
        {
            const AnswerWhenOpen<TRLPreviewForm> answer([&](TRLPreviewForm &preview) {
                pages = preview.Preview()->PageCount();
                wide = preview.Preview()->Pages()->OrientedWidth() > preview.Preview()->Pages()->OrientedHeight();
                QTest::mouseClick(preview.SpeedButtonClose, Qt::LeftButton);
            });
            click("btnTeste");
        }
        EXPECT_EQ(pages, 1);
        EXPECT_EQ(wide, c.landscape);
        TRLReport *report = screen->lastReport();
        ASSERT_EQ(report, c.landscape ? screen->rlrPaisagem : screen->rlrRetrato);
        EXPECT_EQ(report->DefaultFilter(), nullptr);
        const TFont &font = (c.landscape ? screen->rldbtxtLinhaP : screen->rldbtxtLinha)->Font();
        EXPECT_EQ(font.Name(), QString::fromLatin1(c.fontName));
        EXPECT_EQ(font.Size(), c.fontSize);
        EXPECT_EQ(screen->sPbArquivo, form);
    }
    EXPECT_EQ(boxes, QStringList());

    type(widget<QLineEdit>("edtArquivoTeste"), dir.file(QStringLiteral("nao-existe.txt")));
    click("btnTeste");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Cannot open file"))) << boxes[0].toStdString();
    EXPECT_TRUE(screen->isVisible());
}

// Only "Impressora" shows; Tab walks the screen top to bottom, the printers
// (added after everything else) first. The picture is kept for a look.
TEST_F(SetupScreen, ShowsOneTabAndTabsInScreenOrder)
{
    open(kPrinters);
    const auto *tabs = widget<QTabWidget>("pgcPrincipal");
    EXPECT_TRUE(tabs->isTabVisible(0));
    EXPECT_FALSE(tabs->isTabVisible(1));
    EXPECT_FALSE(tabs->isTabVisible(2));
    screen->grab().save(QStringLiteral(PRENSO_BINARY_DIR "/setup-screen.png"));

    QApplication::setActiveWindow(screen.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen.get()));
    screen->findChild<TRadioGroup *>(QStringLiteral("rgpImpressora"))->findChildren<QRadioButton *>()[0]->setFocus();
    QStringList walked;
    for (int i = 0; i < 20 && walked.value(walked.size() - 1) != QLatin1String("btnPastaPdf"); ++i) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        const QString name = qobject_cast<QRadioButton *>(focus) ? focus->parent()->objectName() : focus->objectName();
        if (walked.isEmpty() || walked.back() != name)
            walked << name;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(walked, QStringList({"rgpImpressora", "edtArquivo", "btnAbrir", "btnSalvar", "rgpOrientacao",
                                   "edtFonteSize", "edtFonte", "ckbSalvaNomeImpressora", "ckbImpressoraMatricial",
                                   "chkVisualiza", "ckbImprimirSemDialogo", "edtArquivoTeste", "btnAbrirTeste",
                                   "btnTeste", "edtPastaPdf", "btnPastaPdf"}));
}
