// Start-up: the switches of the command line and what they set.
#include "app/Principal.h"
#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "support/test_support.h"

#include <QTabWidget>
#include <gtest/gtest.h>

using namespace prenso;
using namespace prenso::test;

namespace {

// A form built without running its creation handler, so that each test sees
// the handler's errors itself.
struct Form {
    explicit Form(QStringList args) : form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")} + args) {}
    TfrmPrincipal form;
};

// A switch set that names no file: nothing is printed.
TfrmPrincipal &create(Form &f)
{
    f.form.FormCreate();
    return f.form;
}

} // namespace

TEST(Startup, DefaultsAndSwitchKeysInAnyCase)
{
    Form f({QStringLiteral("/ori=landscape"), QStringLiteral("/Fon=courier new"), QStringLiteral("/vis=sim"),
            QStringLiteral("/mat=RLDraftFilter1"), QStringLiteral("/IMPI=2"), QStringLiteral("/XYZ=1"),
            QStringLiteral("bare")});
    TfrmPrincipal &p = create(f);
    EXPECT_EQ(p.sPbOrientacao, QStringLiteral("LANDSCAPE"));
    EXPECT_EQ(p.sPbFontName, QStringLiteral("COURIER NEW"));
    EXPECT_EQ(p.sPbVisualizar, QStringLiteral("SIM"));
    EXPECT_EQ(p.sPbMatricial, QStringLiteral("RLDRAFTFILTER1"));
    EXPECT_EQ(p.iPbImpressora, 2);
    EXPECT_EQ(p.iPbFontSize, 0);
    EXPECT_TRUE(p.sPbArquivo.isEmpty());
}

TEST(Startup, ValuesAreTrimmedAndCutAtTheNextEquals)
{
    Form f({QStringLiteral("/ORI=Paisagem  "), QStringLiteral("/FON=a=b"), QStringLiteral("/FOS= 9")});
    TfrmPrincipal &p = create(f);
    EXPECT_EQ(p.sPbOrientacao, QStringLiteral("PAISAGEM"));
    EXPECT_EQ(p.sPbFontName, QStringLiteral("A"));
    // Only the whole argument is trimmed; the conversion itself skips leading blanks.
    EXPECT_EQ(p.iPbFontSize, 9);
}

TEST(Startup, LaterSwitchWinsAndAccentsStay)
{
    // A printer name in the business system's code page is the name the operator reads.
    Form f({QStringLiteral("/ORI=retrato"), QStringLiteral("/ORI=paisagem"), QStringLiteral("/FON=ação"),
            QStringLiteral("/IMPS=") + files::decodeName("Escrit\xf3rio")});
    TfrmPrincipal &p = create(f);
    EXPECT_EQ(p.sPbOrientacao, QStringLiteral("PAISAGEM"));
    EXPECT_EQ(p.sPbFontName, QStringLiteral("AçãO"));
    EXPECT_EQ(p.sPbImpressora, QStringLiteral("ESCRITóRIO"));
}

TEST(Startup, BadIntegerStopsReadingAndShowsTheBox)
{
    QString text;
    ScopedMessageBoxHook hook([&](BoxKind, const QString &, const QString &t) { text = t; });
    TfrmPrincipal p(QStringList{QStringLiteral("Prenso"), QStringLiteral("/FOS=abc"), QStringLiteral("/ORI=PAISAGEM"),
                                QStringLiteral("/ARQ=/nonexistent/form.txt")});
    EXPECT_EQ(text, QStringLiteral("'abc' is not a valid integer value."));
    // Later switches were not read, and nothing was printed.
    EXPECT_EQ(p.sPbOrientacao, QStringLiteral("RETRATO"));
    EXPECT_TRUE(p.sPbArquivo.isEmpty());
    EXPECT_EQ(p.lastReport(), nullptr);
}

TEST(Startup, EmptyImpiIsAConversionError)
{
    Form f({QStringLiteral("/IMPI=")});
    EXPECT_THROW(create(f), EConvertError);
}

TEST(Startup, TestFileIsNeverPrinted)
{
    for (const char *path :
         {"C:\\Projetos\\Vantor 3\\Apoio\\Prenso\\teste.txt", "c:\\projetos\\vantor 3\\apoio\\prenso\\TESTE.TXT"}) {
        Form f({QStringLiteral("/ARQ=") + QString::fromLatin1(path)});
        TfrmPrincipal &p = create(f);
        EXPECT_EQ(p.sPbArquivo, QString::fromLatin1(path));
        EXPECT_EQ(p.lastReport(), nullptr) << path;
    }
}

TEST(Startup, FormShowClosesInCommandLineModeOnly)
{
    TfrmPrincipal withArgs(QStringList{QStringLiteral("Prenso"), QStringLiteral("/ORI=RETRATO")});
    withArgs.show();
    EXPECT_TRUE(withArgs.closing());
    EXPECT_FALSE(withArgs.isVisible());

    TfrmPrincipal setup(QStringList{QStringLiteral("Prenso")});
    setup.show();
    EXPECT_FALSE(setup.closing());
    EXPECT_TRUE(setup.isVisible());
    EXPECT_FALSE(setup.pgcPrincipal->isTabVisible(1));
    EXPECT_FALSE(setup.pgcPrincipal->isTabVisible(2));
    EXPECT_TRUE(setup.pgcPrincipal->isTabVisible(0));
    setup.close();
}

// Whether a run may show a window decides whether the font configuration is
// read ahead for the windows' own fonts: only a run that surely shows none
// goes without.
TEST(Startup, OnlyUnattendedPrintsAndArchivesShowNoWindow)
{
    struct Row {
        QStringList arguments;
        bool windows;
    };
    const QString program = QStringLiteral("prenso");
    const Row rows[] = {
        {{program}, true}, // the setup screen
        {{program, QStringLiteral("/ARQ=nota.txt")}, true},
        {{program, QStringLiteral("/ARQ=nota.txt"), QStringLiteral("/DLG=NAO")}, false},
        {{program, QStringLiteral("/ARQ=nota.txt"), QStringLiteral("/dlg=não")}, false},
        {{program, QStringLiteral("/ARQ=nota.txt"), QStringLiteral("/DLG=NAO"), QStringLiteral("/VIS=SIM")}, true},
        {{program, QStringLiteral("/ARQ=nota.txt"), QStringLiteral("/PDF=nota.pdf")}, false},
        {{program, QStringLiteral("/DLG=NAO")}, true}, // no form: the setup screen
        {{program, QStringLiteral("/ARQ=nota.txt"), QStringLiteral("/IMPI=x"), QStringLiteral("/DLG=NAO")}, true},
    };
    for (const Row &row : rows)
        EXPECT_EQ(RunMayShowWindows(row.arguments), row.windows) << row.arguments.join(u' ').toStdString();
}
