// Printer discovery on the main form: the setup screen's list, the printer the
// command line names, and the user's default printer, against the private
// print server (and, where the server cannot make the case, a list of names
// handed in directly).
#include "app/Principal.h"
#include "platform/widgets/radiogroup.h"
#include "report/printing/RLPrinters.h"
#include "support/test_support.h"

#include "integration/printer_server_test.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>

using namespace prenso;
using namespace prenso::test;

namespace {

std::optional<QByteArray> fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

class Discovery : public PrinterServerTest {
protected:
    void SetUp() override
    {
        PrinterServerTest::SetUp();
        if (IsSkipped())
            return;
        systemOptions = fileBytes(QStringLiteral("/etc/cups/lpoptions"));
        form = std::make_unique<TfrmPrincipal>(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("Prenso")});
    }

    void TearDown() override
    {
        form.reset();
        // Whatever happened, the machine's own printing options stay as they were.
        if (cupsd) {
            EXPECT_EQ(fileBytes(QStringLiteral("/etc/cups/lpoptions")), systemOptions);
        }
        PrinterServerTest::TearDown();
    }

    // The form's reports read the printer list when they are made, before a
    // test sets up its queues: read it again, as a new program start would.
    void discover()
    {
        printing::thePrinter().refreshPrinters();
        form->BuscaImpressora();
    }

    // Runs discovery with a list of names instead of the server's queues.
    void discoverFrom(const QStringList &names)
    {
        printing::setPrinterListSourceForTesting([names] { return names; });
        discover();
    }

    std::optional<QByteArray> systemOptions;
    std::unique_ptr<TfrmPrincipal> form;
};

} // namespace

TEST_F(Discovery, FindsTheNamedPrinterAndListsAll)
{
    SocketListener hp, epson;
    cupsd->addRawQueue(QStringLiteral("HP_1"), hp.port());
    cupsd->addRawQueue(QStringLiteral("Epson_LX"), epson.port());
    form->sPbImpressora = QStringLiteral("EPSON_LX");
    discover();
    EXPECT_EQ(form->iPbImpressora, 0);
    EXPECT_EQ(form->rgpImpressora->Items(), (QStringList{QStringLiteral("Epson_LX"), QStringLiteral("HP_1")}));
    // The printer object stays on the last printer of the list.
    EXPECT_EQ(printing::thePrinter().index(), 1);
    EXPECT_EQ(RLPrinter().PrinterIndex(), 1);
}

TEST_F(Discovery, NoMatchKeepsTheIndexFromTheCommandLine)
{
    SocketListener listener;
    cupsd->addRawQueue(QStringLiteral("Alpha"), listener.port());
    form->iPbImpressora = 7;
    form->sPbImpressora = QStringLiteral("BETA");
    discover();
    EXPECT_EQ(form->iPbImpressora, 7);
    // The name is compared upper-cased: a name as the queue spells it does not match.
    form->rgpImpressora->ClearItems();
    form->sPbImpressora = QStringLiteral("Alpha");
    discover();
    EXPECT_EQ(form->iPbImpressora, 7);
}

TEST_F(Discovery, EmptyNameMatchesNothing)
{
    discoverFrom({QString(), QStringLiteral("  ")});
    EXPECT_EQ(form->iPbImpressora, 0);
    form->iPbImpressora = 5;
    form->rgpImpressora->ClearItems();
    discoverFrom({QString(), QStringLiteral("  ")});
    EXPECT_EQ(form->iPbImpressora, 5);
    EXPECT_EQ(form->rgpImpressora->Items(), (QStringList{QString(), QString()}));
}

TEST_F(Discovery, LastOfEquallyNamedPrintersWins)
{
    // The server keeps queue names unique regardless of case, so printers
    // that read the same once trimmed and upper-cased come from a list.
    discoverFrom({QStringLiteral("Epson LX"), QStringLiteral("HP 1"), QStringLiteral(" epson lx\t"),
                  QStringLiteral("EPSON LX "), QStringLiteral("Canon")});
    form->iPbImpressora = 0;
    form->sPbImpressora = QStringLiteral("EPSON LX");
    form->rgpImpressora->ClearItems();
    discoverFrom({QStringLiteral("Epson LX"), QStringLiteral("HP 1"), QStringLiteral(" epson lx\t"),
                  QStringLiteral("EPSON LX "), QStringLiteral("Canon")});
    EXPECT_EQ(form->iPbImpressora, 3);
    // Listed trimmed, in list order, one item per printer.
    EXPECT_EQ(form->rgpImpressora->Items(),
              (QStringList{QStringLiteral("Epson LX"), QStringLiteral("HP 1"), QStringLiteral("epson lx"),
                           QStringLiteral("EPSON LX"), QStringLiteral("Canon")}));
}

TEST_F(Discovery, NamesAreCutAt255Characters)
{
    form->iPbImpressora = -1;
    form->sPbImpressora = QString(255, u'A');
    discoverFrom({QString(300, u'a')});
    EXPECT_EQ(form->iPbImpressora, 0);
    EXPECT_EQ(form->rgpImpressora->Items(), QStringList{QString(255, u'a')});
}

TEST_F(Discovery, AccentedNamesMatchOnlyTheSameAccentedLetters)
{
    SocketListener listener;
    cupsd->addRawQueue(QStringLiteral("Impressão"), listener.port());
    ASSERT_EQ(cupsd->queueNames(), QStringList{QStringLiteral("Impressão")});

    // Only a to z are upper-cased, so the name arrives as IMPRESSãO.
    form->iPbImpressora = -5;
    form->sPbImpressora = QStringLiteral("IMPRESSÃO");
    discover();
    EXPECT_EQ(form->iPbImpressora, -5);

    form->rgpImpressora->ClearItems();
    form->sPbImpressora = QStringLiteral("IMPRESSãO");
    discover();
    EXPECT_EQ(form->iPbImpressora, 0);
    EXPECT_EQ(form->rgpImpressora->Items(), QStringList{QStringLiteral("Impressão")});
}

// Only a printer that a name asked for and found becomes the user's default;
// the setup screen's walk and a name that matches nothing leave the user's
// default alone. The user's other option lines survive either way.
TEST_F(Discovery, OnlyTheNamedPrinterBecomesTheUsersDefault)
{
    SocketListener a, b, c;
    cupsd->addRawQueue(QStringLiteral("Alpha"), a.port());
    cupsd->addRawQueue(QStringLiteral("Beta"), b.port());
    cupsd->addRawQueue(QStringLiteral("Gamma"), c.port());
    struct Case {
        const char *name; // sPbImpressora; empty in setup mode
        std::string options;
        const char *defaultPrinter;
    };
    const std::string own = "Dest Beta media=A4\nDefault Alpha\n";
    for (const Case &k : {Case{"", own, "Alpha"}, Case{"DELTA", own, "Alpha"},
                          Case{"GAMMA", "Dest Beta media=A4\nDest Alpha\nDefault Gamma\n", "Gamma"},
                          Case{"BETA", "Default Beta media=A4\nDest Alpha\n", "Beta"}}) {
        SCOPED_TRACE(k.name);
        QDir().mkpath(QFileInfo(cupsd->userOptionsFile()).absolutePath());
        writeFile(cupsd->userOptionsFile(), own);
        form->rgpImpressora->ClearItems();
        form->sPbImpressora = QString::fromLatin1(k.name);
        discover();
        EXPECT_EQ(readFile(cupsd->userOptionsFile()), k.options);
        EXPECT_EQ(QPrinterInfo::defaultPrinterName(), QString::fromLatin1(k.defaultPrinter));
        // Nothing went to the options file the printing library writes for root.
        EXPECT_FALSE(QFile::exists(cupsd->clientRoot() + QStringLiteral("/lpoptions")));
        // Every printer is listed all the same, and the walk ends on the last.
        EXPECT_EQ(form->rgpImpressora->Items().size(), 3);
        EXPECT_EQ(printing::thePrinter().index(), 2);
    }
}

// The queues and the instances the lpoptions files give them, the machine's
// and the user's, in the printing system's order; an instance of a queue the
// server does not have is none.
TEST_F(Discovery, TheListIsTheQueuesWithTheirInstances)
{
    SocketListener alpha, beta;
    cupsd->addRawQueue(QStringLiteral("beta"), beta.port());
    cupsd->addRawQueue(QStringLiteral("Alpha"), alpha.port());
    const QString machineOptions = cupsd->clientRoot() + QStringLiteral("/lpoptions");
    writeFile(machineOptions, "Dest beta/zz\n");
    QDir().mkpath(QFileInfo(cupsd->userOptionsFile()).absolutePath());
    writeFile(cupsd->userOptionsFile(), "Dest Alpha/draft copies=2\nDefault beta/fast\nDest gone/x\n");
    const QStringList expected{QStringLiteral("Alpha"), QStringLiteral("Alpha/draft"), QStringLiteral("beta"),
                               QStringLiteral("beta/fast"), QStringLiteral("beta/zz")};
    EXPECT_EQ(printing::installedPrinterNames(), expected);
    // The printing system's own tool agrees where the network adds nothing.
    QString listed;
    if (qEnvironmentVariableIsEmpty("PRENSO_OFFICE") &&
        cupsd->runTool(QStringLiteral("lpstat"), {QStringLiteral("-e")}, &listed) == 0) {
        EXPECT_EQ(listed.split(u'\n', Qt::SkipEmptyParts), expected);
    }
    QFile::remove(machineOptions);
}

TEST_F(Discovery, WithoutPrintersNothingIsWritten)
{
    form->iPbImpressora = 2;
    form->sPbImpressora = QStringLiteral("ALPHA");
    discover();
    EXPECT_EQ(form->iPbImpressora, 2);
    EXPECT_TRUE(form->rgpImpressora->Items().isEmpty());
    EXPECT_FALSE(QFile::exists(cupsd->userOptionsFile()));
}

TEST_F(Discovery, WithoutAServerTheListIsEmptyAndNothingWaits)
{
    SocketListener listener;
    cupsd->addRawQueue(QStringLiteral("Alpha"), listener.port());
    cupsd->stop();

    QElapsedTimer timer;
    timer.start();
    form->sPbImpressora = QStringLiteral("ALPHA");
    discover();
    TRLPrinterMetrics metrics;
    RLPrinter().LoadMetrics(metrics);
    EXPECT_LT(timer.elapsed(), 5000);

    EXPECT_EQ(form->iPbImpressora, 0);
    EXPECT_TRUE(form->rgpImpressora->Items().isEmpty());
    EXPECT_FALSE(QFile::exists(cupsd->userOptionsFile()));
    EXPECT_EQ(RLPrinter().PrinterIndex(), -1);
    EXPECT_EQ(metrics, kFallbackPrinterMetrics);

    // Back again, the server's queue is found once the list is read anew.
    ASSERT_TRUE(cupsd->start()) << cupsd->error().toStdString();
    RLPrinter().Refresh();
    EXPECT_EQ(RLPrinter().Printers(), (std::vector<TRLPrinterEntry>{{QStringLiteral("Alpha"), std::nullopt}}));
}

TEST_F(Discovery, AServerThatNeverAnswersHoldsUpOnlyBriefly)
{
    // Takes connections and never answers, as a hung server does.
    SocketListener silent;
    struct ServerSwitch {
        QByteArray own = qgetenv("CUPS_SERVER");
        explicit ServerSwitch(int port)
        {
            qputenv("CUPS_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(port));
            printing::reconnectPrintServer();
        }
        ~ServerSwitch()
        {
            qputenv("CUPS_SERVER", own);
            printing::reconnectPrintServer();
        }
    } useSilentServer(silent.port());

    QElapsedTimer timer;
    timer.start();
    form->sPbImpressora = QStringLiteral("ALPHA");
    discover();
    TRLPrinterMetrics metrics;
    RLPrinter().LoadMetrics(metrics);
    RLPrinter().SetPaperSize(210, 297, TRLPageOrientation::poLandscape, false, true);
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_FALSE(silent.waitForJobs(1, 3000).empty()) << "the server was never asked";
    EXPECT_TRUE(form->rgpImpressora->Items().isEmpty());
    EXPECT_EQ(metrics, kFallbackPrinterMetrics);
}
