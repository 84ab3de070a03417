#include "app/Principal.h"

#include "app/TextUtils.h"
#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "report/controls/RLLabel.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/pagination/RLReport.h"
#include "report/windows/RLWindows.h"

#include <QTabWidget>

namespace prenso {

const QString TfrmPrincipal::kTestFilePath = QStringLiteral("C:\\Projetos\\Vantor 3\\Apoio\\Prenso\\teste.txt");

TfrmPrincipal::TfrmPrincipal(const QStringList &arguments, QWidget *parent)
    : TfrmPrincipal(NoCreate{}, arguments, parent)
{
    RunFormCreate();
}

TfrmPrincipal::TfrmPrincipal(NoCreate, const QStringList &arguments, QWidget *parent)
    : QWidget(parent), FArguments(arguments)
{
    // The program shows the engine's own windows (progress, dialogs).
    InstallRLWindows();
    SetName(QStringLiteral("frmPrincipal"));
    cdsLinhaRelatorio.Name = QStringLiteral("cdsLinhaRelatorio");
    dtsLinhaRelatorio.Name = QStringLiteral("dtsLinhaRelatorio");
    dtsLinhaRelatorio.SetDataSet(&cdsLinhaRelatorio);
    if (FArguments.isEmpty())
        FArguments << QString();
    FLauncherProgram = files::executablePath();
    // With switches the program prints and ends: the setup screen is never
    // seen, and building it would cost more than printing a short form.
    const bool setupMode = argumentCount() <= 0;
    if (setupMode)
        buildScreen();
    buildReports();
    if (setupMode)
        showReportLayouts();
}

TfrmPrincipal::~TfrmPrincipal()
{
    FArquivo.close();
}

// The two report layouts: a page with one band that holds one text control
// bound to the line table's LINHA field.
void TfrmPrincipal::buildReports()
{
    TFont arial;
    arial.SetName(QStringLiteral("Arial"));
    arial.SetHeight(-13);
    arial.SetColor(clBlack);
    auto build = [&](std::unique_ptr<TRLReport> &owner, const QString &reportName, const QString &bandName,
                     const QString &textName, bool landscape, TRLBand *&band, TRLDBText *&text) {
        owner = std::make_unique<TRLReport>(Name());
        TRLReport *report = owner.get();
        report->SetName(reportName);
        if (landscape)
            report->PageSetup().SetOrientation(TRLPageOrientation::poLandscape);
        report->SetFont(arial);
        report->SetDataSource(&dtsLinhaRelatorio);
        band = report->AddChild<TRLBand>();
        band->SetName(bandName);
        band->SetBounds(38, 38, landscape ? 1047 : 718, 16);
        band->SetAutoSize(true);
        band->SetAutoExpand(false);
        text = band->AddChild<TRLDBText>();
        text->SetName(textName);
        text->SetBounds(16, 0, 41, 16);
        text->SetAlign(TRLControlAlign::faTopOnly);
        text->SetDataSource(&dtsLinhaRelatorio);
        text->SetDataField(QStringLiteral("LINHA"));
        InsertComponent(report);
        InsertComponent(band);
        InsertComponent(text);
        return report;
    };
    rlrRetrato = build(FRetrato, QStringLiteral("rlrRetrato"), QStringLiteral("RLBand1"),
                       QStringLiteral("rldbtxtLinha"), false, RLBand1, rldbtxtLinha);
    rldbtxtLinha->SetAlignWithMargins(true);
    rldbtxtLinha->SetTransparent(false);
    rldbtxtLinha->BeforeText = [this](TRLCustomControl *sender, QString &text, bool &printIt) {
        rldbtxtLinhaBeforePrint(sender, text, printIt);
    };
    rlrPaisagem = build(FPaisagem, QStringLiteral("rlrPaisagem"), QStringLiteral("RLBand2"),
                        QStringLiteral("rldbtxtLinhaP"), true, RLBand2, rldbtxtLinhaP);
    rldbtxtLinhaP->BeforeText = [this](TRLCustomControl *sender, QString &text, bool &printIt) {
        rldbtxtLinhaPBeforePrint(sender, text, printIt);
    };

    FDraft = std::make_unique<TRLDraftFilter>(this);
    RLDraftFilter1 = FDraft.get();
    RLDraftFilter1->SetName(QStringLiteral("RLDraftFilter1"));

    FPdf = std::make_unique<TRLPDFFilter>(this);
    rlpdfltr1 = FPdf.get();
    rlpdfltr1->SetName(QStringLiteral("rlpdfltr1"));
    rlpdfltr1->SetDisplayName(QStringLiteral("Documento PDF"));
}

void TfrmPrincipal::rldbtxtLinhaBeforePrint(TRLCustomControl *, QString &text, bool &)
{
    if (!text.isEmpty() && text.front() == QChar(12)) {
        text.remove(0, 1);
        rlrRetrato->NewPage();
    }
}

void TfrmPrincipal::rldbtxtLinhaPBeforePrint(TRLCustomControl *, QString &text, bool &)
{
    if (!text.isEmpty() && text.front() == QChar(12)) {
        text.remove(0, 1);
        rlrPaisagem->NewPage();
    }
}

void TfrmPrincipal::RunFormCreate()
{
    // An error that leaves the creation handler is shown as the event loop
    // shows errors; a silent abort shows nothing. Creation then goes on.
    try {
        FormCreate();
    } catch (const SilentAbort &) {
        FAborted = true;
    } catch (const Exception &e) {
        showErrorBox(e.message());
    } catch (const std::exception &e) {
        showErrorBox(QString::fromLocal8Bit(e.what()));
    }
}

TSwitches ReadSwitches(const QStringList &arguments)
{
    TSwitches switches;
    const QString testPath = UpperAscii(TfrmPrincipal::kTestFilePath);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const QString key = ExtraiCampo(UpperAscii(argument), 1, u'=');
        const QString value = ExtraiCampo(TrimControl(argument), 2, u'=');
        // A printer or font name in the caller's code page is the name the
        // operator reads; only the paths keep their bytes.
        const QString name = UpperAscii(files::readableText(value));
        if (key == QLatin1String("/ARQ")) {
            // The path is kept as typed: on a case-sensitive file system the
            // upper-cased name would be another, usually missing, file. The
            // test-file comparison still upper-cases both sides.
            switches.arquivo = value;
            if (UpperAscii(value) != testPath)
                switches.autoPrint = true;
        } else if (key == QLatin1String("/ORI")) {
            switches.orientacao = name;
        } else if (key == QLatin1String("/IMPI")) {
            switches.impressoraIndex = StrToInt(value);
        } else if (key == QLatin1String("/FOS")) {
            switches.fontSize = StrToInt(value);
        } else if (key == QLatin1String("/FON")) {
            switches.fontName = name;
        } else if (key == QLatin1String("/IMPS")) {
            switches.impressora = name;
        } else if (key == QLatin1String("/MAT")) {
            switches.matricial = name;
        } else if (key == QLatin1String("/TAB")) {
            switches.tabela = name;
        } else if (key == QLatin1String("/VIS")) {
            switches.visualizar = name;
        } else if (key == QLatin1String("/DLG")) {
            switches.dialogo = name;
        } else if (key == QLatin1String("/PDF")) {
            // A path, kept as typed (see /ARQ).
            switches.pdf = value;
            switches.pdfGiven = true;
        }
    }
    return switches;
}

void TfrmPrincipal::FormCreate()
{
    sPbMatricial.clear();
    sPbTabela.clear();
    sPbOrientacao = QStringLiteral("RETRATO");
    iPbFontSize = 0;
    sPbFontName.clear();
    sPbVisualizar.clear();
    sPbDialogo.clear();
    sPbPdf.clear();
    bPbPdf = false;
    bool autoPrint = false;

    if (argumentCount() <= 0) {
        BuscaImpressora();
        return;
    }

    const TSwitches switches = ReadSwitches(FArguments);
    if (switches.arquivo)
        sPbArquivo = *switches.arquivo;
    autoPrint = switches.autoPrint;
    if (switches.orientacao)
        sPbOrientacao = *switches.orientacao;
    if (switches.impressoraIndex) {
        iPbImpressora = *switches.impressoraIndex;
        FPrinterIndexGiven = true;
    }
    iPbFontSize = switches.fontSize;
    sPbFontName = switches.fontName;
    if (switches.impressora)
        sPbImpressora = *switches.impressora;
    sPbMatricial = switches.matricial;
    sPbTabela = switches.tabela;
    sPbVisualizar = switches.visualizar;
    sPbDialogo = switches.dialogo;
    sPbPdf = switches.pdf;
    bPbPdf = switches.pdfGiven;

    if (!sPbImpressora.isEmpty())
        BuscaImpressora();
    if (autoPrint)
        ExecutaImpressao();
}

void TfrmPrincipal::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!FShownOnce) {
        FShownOnce = true;
        FormShow();
    }
}

void TfrmPrincipal::FormShow()
{
    if (argumentCount() >= 1) {
        FClosing = true;
        close();
    }
    if (!pgcPrincipal)
        return;
    pgcPrincipal->setTabVisible(1, false);
    pgcPrincipal->setTabVisible(2, false);
    // Discovery has put the printers on the screen by now.
    applyTabOrder();
}

} // namespace prenso
