#include "app/Principal.h"

#include "app/TextUtils.h"
#include "platform/errors.h"
#include "platform/messagebox.h"
#include "platform/widgets/radiogroup.h"
#include "report/controls/RLLabel.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/pagination/RLReport.h"
#include "report/windows/RLWindows.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

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
    buildScreen();
    buildReports();
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

void TfrmPrincipal::buildScreen()
{
    setWindowTitle(QStringLiteral("Impressão de Formulários do Sistema Vantor"));
    setFixedSize(733, 481);
    move(477, 195);

    pgcPrincipal = new QTabWidget(this);
    pgcPrincipal->setGeometry(0, 0, 733, 481);
    auto *tabImpressora = new QWidget;
    pgcPrincipal->addTab(tabImpressora, QStringLiteral("Impressora"));
    pgcPrincipal->addTab(new QWidget, QStringLiteral("Retrato"));
    pgcPrincipal->addTab(new QWidget, QStringLiteral("Paisagem"));
    pgcPrincipal->setCurrentIndex(0);

    rgpImpressora = new TRadioGroup(QStringLiteral("Impressoras Disponíveis"), tabImpressora);
    rgpImpressora->setGeometry(8, 8, 305, 433);

    auto label = [tabImpressora](const QString &text, int x, int y) {
        auto *l = new QLabel(text, tabImpressora);
        l->move(x, y);
        return l;
    };
    auto button = [tabImpressora](const QString &hint, int x, int y, int w, int h) {
        auto *b = new QToolButton(tabImpressora);
        b->setGeometry(x, y, w, h);
        b->setToolTip(hint);
        return b;
    };
    label(QStringLiteral("Arquivo em lote a ser Gravado"), 336, 8);
    edtArquivo = new QLineEdit(tabImpressora);
    edtArquivo->setGeometry(336, 24, 297, 24);
    btnAbrir = button(QStringLiteral("Abrir"), 647, 24, 25, 25);
    btnSalvar = button(QStringLiteral("Salvar"), 680, 24, 25, 25);

    rgpOrientacao = new TRadioGroup(QStringLiteral("Orientação"), tabImpressora);
    rgpOrientacao->setGeometry(336, 48, 297, 57);
    rgpOrientacao->SetColumns(2);
    rgpOrientacao->AddItem(QStringLiteral("Retrato"));
    rgpOrientacao->AddItem(QStringLiteral("Paisagem"));
    rgpOrientacao->SetItemIndex(0);

    label(QStringLiteral("Tamanho da Fonte"), 336, 112);
    edtFonteSize = new QLineEdit(tabImpressora);
    edtFonteSize->setGeometry(336, 128, 89, 21);
    edtFonteSize->setReadOnly(true);
    label(QStringLiteral("Tipo da Fonte"), 512, 112);
    edtFonte = new QLineEdit(tabImpressora);
    edtFonte->setGeometry(512, 128, 89, 21);
    edtFonte->setReadOnly(true);
    SpeedButton1 = button(QStringLiteral("Selecionar Fonte"), 608, 126, 25, 25);

    ckbSalvaNomeImpressora = new QCheckBox(QStringLiteral("Salvar o nome da impressora"), tabImpressora);
    ckbSalvaNomeImpressora->setGeometry(336, 168, 209, 17);
    ckbImpressoraMatricial = new QCheckBox(QStringLiteral("Impressora matricial"), tabImpressora);
    ckbImpressoraMatricial->setGeometry(336, 200, 153, 17);
    chkVisualiza = new QCheckBox(QStringLiteral("Visualizar Antes de Imprimir"), tabImpressora);
    chkVisualiza->setGeometry(336, 240, 193, 17);

    label(QStringLiteral("Arquivo para Teste"), 336, 274);
    edtArquivoTeste = new QLineEdit(tabImpressora);
    edtArquivoTeste->setGeometry(336, 292, 297, 24);
    btnAbrirTeste = button(QStringLiteral("Abrir"), 647, 292, 25, 27);
    btnTeste = new QPushButton(QStringLiteral("Visualiza Arquivo Teste"), tabImpressora);
    btnTeste->setGeometry(336, 337, 169, 25);
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

void TfrmPrincipal::FormCreate()
{
    sPbMatricial.clear();
    sPbOrientacao = QStringLiteral("RETRATO");
    iPbFontSize = 0;
    sPbFontName.clear();
    sPbVisualizar.clear();
    sPbDialogo.clear();
    bool autoPrint = false;

    if (argumentCount() <= 0) {
        BuscaImpressora();
        return;
    }

    const QString testPath = UpperAscii(kTestFilePath);
    for (int i = 1; i <= argumentCount(); ++i) {
        const QString &argument = FArguments[i];
        const QString key = ExtraiCampo(UpperAscii(argument), 1, u'=');
        const QString value = ExtraiCampo(TrimControl(argument), 2, u'=');
        if (key == QLatin1String("/ARQ")) {
            // The path is kept as typed: on a case-sensitive file system the
            // upper-cased name would be another, usually missing, file. The
            // test-file comparison still upper-cases both sides.
            sPbArquivo = value;
            if (UpperAscii(value) != testPath)
                autoPrint = true;
        } else if (key == QLatin1String("/ORI")) {
            sPbOrientacao = UpperAscii(value);
        } else if (key == QLatin1String("/IMPI")) {
            iPbImpressora = StrToInt(value);
            FPrinterIndexGiven = true;
        } else if (key == QLatin1String("/FOS")) {
            iPbFontSize = StrToInt(value);
        } else if (key == QLatin1String("/FON")) {
            sPbFontName = UpperAscii(value);
        } else if (key == QLatin1String("/IMPS")) {
            sPbImpressora = UpperAscii(value);
        } else if (key == QLatin1String("/MAT")) {
            sPbMatricial = UpperAscii(value);
        } else if (key == QLatin1String("/VIS")) {
            sPbVisualizar = UpperAscii(value);
        } else if (key == QLatin1String("/DLG")) {
            sPbDialogo = UpperAscii(value);
        }
    }

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
    pgcPrincipal->setTabVisible(1, false);
    pgcPrincipal->setTabVisible(2, false);
}

} // namespace prenso
