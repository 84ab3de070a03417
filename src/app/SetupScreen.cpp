// The setup screen: the tab "Impressora" with its controls and handlers, and
// the two hidden tabs that show the report layouts.
#include "app/Launcher.h"
#include "app/Principal.h"
#include "app/TextUtils.h"
#include "platform/graphics/canvas.h"
#include "platform/io/files.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "platform/widgets/radiogroup.h"
#include "report/filters/draft/RLDraftCharTables.h"
#include "report/pagination/RLReport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace prenso {
namespace {

// A report's layout as a designer shows it, painted when the tab is first
// looked at: the tabs are hidden, and nobody should wait for it at start.
class TReportLayoutView : public QWidget {
public:
    explicit TReportLayoutView(TRLReport *report) : FReport(report) { setFixedSize(report->Width(), report->Height()); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (FImage.isNull()) {
            FImage = QImage(size(), QImage::Format_RGB32);
            FImage.fill(Qt::white);
            TCanvas canvas(&FImage, kDesignPixelsPerInch);
            FReport->PaintDesign(canvas);
        }
        QPainter(this).drawImage(0, 0, FImage);
    }

private:
    TRLReport *FReport;
    QImage FImage;
};

// The font button's picture: a letter A over a line, as font pickers show.
QIcon fontIcon()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont letter(QStringLiteral("Serif"));
    letter.setPixelSize(14);
    letter.setBold(true);
    painter.setFont(letter);
    painter.setPen(QColor(0, 0, 128));
    painter.drawText(QRect(0, -1, 16, 14), Qt::AlignCenter, QStringLiteral("A"));
    painter.fillRect(2, 14, 12, 2, QColor(128, 0, 0));
    return QIcon(picture);
}

// The file dialogs open beside the program, where its launchers have always
// been kept; an installed program's folder is the system's, and the user's
// home folder is the place to start there.
QString startFolder()
{
    const QString own = files::programFolder();
    return own.isEmpty() ? QDir::homePath() : own;
}

// The controls of the tab "Impressora", made at their fixed places with
// their component names, group by group in the order of the screen.
class TImpressoraTab {
public:
    TImpressoraTab(TfrmPrincipal &form, QWidget *tab) : FForm(form), FTab(tab) {}

    void buildPrinters()
    {
        FForm.rgpImpressora = new TRadioGroup(QStringLiteral("Impressoras Disponíveis"), FTab);
        named(FForm.rgpImpressora, "rgpImpressora");
        FForm.rgpImpressora->setGeometry(8, 8, 305, 433);
    }

    // The launcher's file, with its open and save buttons.
    void buildLauncherFile(const QIcon &openPicture)
    {
        label("Label1", QStringLiteral("Arquivo em lote a ser Gravado"), 336, 8);
        FForm.edtArquivo = edit("edtArquivo", 336, 24, 297, 24);
        FForm.btnAbrir = imageButton("btnAbrir", openPicture, QStringLiteral("Abrir"), 647, 24, 25, 25);
        FForm.btnSalvar = imageButton("btnSalvar", FForm.style()->standardIcon(QStyle::SP_DialogSaveButton),
                                      QStringLiteral("Salvar"), 680, 24, 25, 25);
    }

    void buildOrientation()
    {
        TRadioGroup *group = FForm.rgpOrientacao = new TRadioGroup(QStringLiteral("Orientação"), FTab);
        named(group, "rgpOrientacao");
        group->setGeometry(336, 48, 297, 57);
        group->SetColumns(2);
        group->AddItem(QStringLiteral("Retrato"));
        group->AddItem(QStringLiteral("Paisagem"));
        group->SetItemIndex(0);
    }

    // Only the font dialog fills the two font fields.
    void buildFont()
    {
        const QFont fieldFont(QStringLiteral("MS Sans Serif"), 8);
        label("Label2", QStringLiteral("Tamanho da Fonte"), 336, 112);
        FForm.edtFonteSize = edit("edtFonteSize", 336, 128, 89, 21);
        FForm.edtFonteSize->setReadOnly(true);
        FForm.edtFonteSize->setFont(fieldFont);
        label("Label3", QStringLiteral("Tipo da Fonte"), 512, 112);
        FForm.edtFonte = edit("edtFonte", 512, 128, 89, 21);
        FForm.edtFonte->setReadOnly(true);
        FForm.edtFonte->setFont(fieldFont);
        FForm.SpeedButton1 =
            imageButton("SpeedButton1", fontIcon(), QStringLiteral("Selecionar Fonte"), 608, 126, 25, 25);
        // A speed button never takes the focus.
        FForm.SpeedButton1->setFocusPolicy(Qt::NoFocus);
    }

    // The ticks of the launcher's switches, and the dot-matrix printer's
    // character table beside its tick.
    void buildOptions()
    {
        FForm.ckbSalvaNomeImpressora =
            checkBox("ckbSalvaNomeImpressora", QStringLiteral("Salvar o nome da impressora"), 336, 168, 209, 17);
        FForm.ckbImpressoraMatricial =
            checkBox("ckbImpressoraMatricial", QStringLiteral("Impressora matricial"), 336, 200, 153, 17);
        QComboBox *table = FForm.cmbTabelaCaracteres = new QComboBox(FTab);
        named(table, "cmbTabelaCaracteres");
        table->setGeometry(496, 197, 105, 22);
        table->setToolTip(QStringLiteral("Tabela de caracteres da impressora matricial"));
        table->addItems(QStringList{QStringLiteral("Padrão")} + DraftCharTableNames());
        // The table is the dot-matrix printer's: without one it means nothing.
        table->setEnabled(false);
        QObject::connect(FForm.ckbImpressoraMatricial, &QCheckBox::toggled, table, &QWidget::setEnabled);
        FForm.chkVisualiza =
            checkBox("chkVisualiza", QStringLiteral("Visualizar Antes de Imprimir"), 336, 240, 193, 17);
        FForm.ckbImprimirSemDialogo =
            checkBox("ckbImprimirSemDialogo", QStringLiteral("Imprimir sem diálogo"), 336, 257, 193, 17);
    }

    // The test file and the button that shows it in the preview.
    void buildTestFile(const QIcon &openPicture)
    {
        label("lbl1", QStringLiteral("Arquivo para Teste"), 336, 274);
        FForm.edtArquivoTeste = edit("edtArquivoTeste", 336, 292, 297, 24);
        FForm.btnAbrirTeste = imageButton("btnAbrirTeste", openPicture, QStringLiteral("Abrir"), 647, 292, 25, 27);
        FForm.btnTeste = new QPushButton(QStringLiteral("Visualiza Arquivo Teste"), FTab);
        named(FForm.btnTeste, "btnTeste");
        FForm.btnTeste->setGeometry(336, 337, 169, 25);
    }

    void buildPdfFolder()
    {
        label("lblPastaPdf", QStringLiteral("Salvar PDF em"), 336, 378);
        FForm.edtPastaPdf = edit("edtPastaPdf", 336, 394, 297, 24);
        FForm.btnPastaPdf = imageButton("btnPastaPdf", FForm.style()->standardIcon(QStyle::SP_DirOpenIcon),
                                        QStringLiteral("Escolher pasta"), 647, 394, 25, 25);
    }

private:
    template <typename W>
    static W *named(W *widget, const char *name)
    {
        widget->setObjectName(QLatin1String(name));
        return widget;
    }
    void label(const char *name, const QString &text, int x, int y) const
    {
        auto *l = named(new QLabel(text, FTab), name);
        l->move(x, y);
        l->adjustSize();
    }
    QLineEdit *edit(const char *name, int x, int y, int w, int h) const
    {
        auto *e = named(new QLineEdit(FTab), name);
        e->setGeometry(x, y, w, h);
        return e;
    }
    QToolButton *imageButton(const char *name, const QIcon &picture, const QString &hint, int x, int y, int w,
                             int h) const
    {
        auto *b = named(new QToolButton(FTab), name);
        b->setGeometry(x, y, w, h);
        b->setIcon(picture);
        b->setIconSize(QSize(16, 16));
        b->setToolTip(hint);
        return b;
    }
    QCheckBox *checkBox(const char *name, const QString &text, int x, int y, int w, int h) const
    {
        auto *c = named(new QCheckBox(text, FTab), name);
        c->setGeometry(x, y, w, h);
        return c;
    }

    TfrmPrincipal &FForm;
    QWidget *FTab;
};

} // namespace

void TfrmPrincipal::buildScreen()
{
    setWindowTitle(QStringLiteral("Impressão de Formulários do Sistema Vantor"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(733, 481);
    move(477, 195);

    pgcPrincipal = new QTabWidget(this);
    pgcPrincipal->setObjectName(QStringLiteral("pgcPrincipal"));
    pgcPrincipal->setGeometry(0, 0, 733, 481);
    auto *tabImpressora = new QWidget;
    pgcPrincipal->addTab(tabImpressora, QStringLiteral("Impressora"));
    pgcPrincipal->addTab(new QWidget, QStringLiteral("Retrato"));
    pgcPrincipal->addTab(new QWidget, QStringLiteral("Paisagem"));
    pgcPrincipal->setCurrentIndex(0);

    const QIcon openPicture = style()->standardIcon(QStyle::SP_DialogOpenButton);
    TImpressoraTab tab(*this, tabImpressora);
    tab.buildPrinters();
    tab.buildLauncherFile(openPicture);
    tab.buildOrientation();
    tab.buildFont();
    tab.buildOptions();
    tab.buildTestFile(openPicture);
    tab.buildPdfFolder();

    const auto onClick = [this](QAbstractButton *button, void (TfrmPrincipal::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { runHandler(handler, this); });
    };
    onClick(btnAbrir, &TfrmPrincipal::btnAbrirClick);
    onClick(btnSalvar, &TfrmPrincipal::btnSalvarClick);
    onClick(SpeedButton1, &TfrmPrincipal::SpeedButton1Click);
    onClick(btnAbrirTeste, &TfrmPrincipal::btnAbrirTesteClick);
    onClick(btnTeste, &TfrmPrincipal::btnTesteClick);
    onClick(btnPastaPdf, &TfrmPrincipal::btnPastaPdfClick);

    // Alt+F4 closes the window, as the system does for every window where the
    // program comes from; on a screen without a window manager (a terminal
    // of the business system, a virtual display) nothing else would.
    auto *closeKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);
}

void TfrmPrincipal::showReportLayouts()
{
    for (auto [tab, report] : {std::pair{1, rlrRetrato}, std::pair{2, rlrPaisagem}}) {
        auto *scroll = new QScrollArea;
        scroll->setWidget(new TReportLayoutView(report));
        QWidget *page = pgcPrincipal->widget(tab);
        scroll->setParent(page);
        scroll->setGeometry(page->rect());
        scroll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        page->setObjectName(QStringLiteral("ts") + report->Name().mid(3));
    }
}

// Tab follows the table of the screen, top to bottom; the printers' buttons
// come from discovery, after everything else was made, and would otherwise
// be last.
void TfrmPrincipal::applyTabOrder()
{
    QList<QWidget *> chain;
    const auto group = [&chain](TRadioGroup *g) {
        for (QRadioButton *b : g->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly))
            chain << b;
    };
    group(rgpImpressora);
    chain << edtArquivo << btnAbrir << btnSalvar;
    group(rgpOrientacao);
    chain << edtFonteSize << edtFonte << ckbSalvaNomeImpressora << ckbImpressoraMatricial << cmbTabelaCaracteres
          << chkVisualiza << ckbImprimirSemDialogo << edtArquivoTeste << btnAbrirTeste << btnTeste << edtPastaPdf
          << btnPastaPdf;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void TfrmPrincipal::runHandler(void (TfrmPrincipal::*handler)(), TfrmPrincipal *form)
{
    try {
        (form->*handler)();
    } catch (const SilentAbort &) {
    } catch (const Exception &e) {
        showErrorBox(e.message());
    } catch (const std::exception &e) {
        showErrorBox(QString::fromLocal8Bit(e.what()));
    }
}

QString TfrmPrincipal::chooseFile()
{
    if (dialogsAutomatic())
        throw ENoOperator(QStringLiteral("Não há tela para mostrar o diálogo de abrir arquivo"));
    if (!odArquivo) {
        odArquivo = new QFileDialog(this);
        odArquivo->setObjectName(QStringLiteral("odArquivo"));
        // A launcher that does not exist yet is what the operator usually names.
        odArquivo->setFileMode(QFileDialog::AnyFile);
        odArquivo->setAcceptMode(QFileDialog::AcceptOpen);
        odArquivo->setNameFilters({QStringLiteral("Arquivo em lote (*.bat *.cmd)"),
                                   QStringLiteral("Script de shell (*.sh)"), QStringLiteral("Todos os arquivos (*)")});
    }
    odArquivo->setDirectory(startFolder());
    odArquivo->selectFile(QString());
    if (odArquivo->exec() != QDialog::Accepted || odArquivo->selectedFiles().isEmpty())
        return QString();
    return QFileInfo(odArquivo->selectedFiles().constFirst()).absoluteFilePath();
}

void TfrmPrincipal::btnAbrirClick()
{
    const QString path = chooseFile();
    if (!path.isEmpty())
        edtArquivo->setText(path);
}

void TfrmPrincipal::btnAbrirTesteClick()
{
    const QString path = chooseFile();
    if (!path.isEmpty())
        edtArquivoTeste->setText(path);
}

void TfrmPrincipal::btnPastaPdfClick()
{
    if (dialogsAutomatic())
        throw ENoOperator(QStringLiteral("Não há tela para mostrar o diálogo de pastas"));
    if (!odPastaPdf) {
        odPastaPdf = new QFileDialog(this);
        odPastaPdf->setObjectName(QStringLiteral("odPastaPdf"));
        odPastaPdf->setFileMode(QFileDialog::Directory);
        odPastaPdf->setOption(QFileDialog::ShowDirsOnly);
    }
    odPastaPdf->setDirectory(edtPastaPdf->text().isEmpty() ? startFolder() : edtPastaPdf->text());
    if (odPastaPdf->exec() == QDialog::Accepted && !odPastaPdf->selectedFiles().isEmpty())
        edtPastaPdf->setText(QFileInfo(odPastaPdf->selectedFiles().constFirst()).absoluteFilePath());
}

void TfrmPrincipal::SpeedButton1Click()
{
    if (dialogsAutomatic())
        throw ENoOperator(QStringLiteral("Não há tela para mostrar o diálogo de fontes"));
    if (!FontDialog1) {
        FontDialog1 = new QFontDialog(this);
        FontDialog1->setObjectName(QStringLiteral("FontDialog1"));
    }
    if (!edtFonte->text().isEmpty()) {
        int size = 0;
        QFont current(edtFonte->text());
        if (TryStrToInt(edtFonteSize->text(), size) && size > 0)
            current.setPointSize(size);
        FontDialog1->setCurrentFont(current);
    }
    if (FontDialog1->exec() != QDialog::Accepted)
        return;
    const QFont chosen = FontDialog1->selectedFont();
    const int points = chosen.pointSize() > 0 ? chosen.pointSize() : RoundCoord(chosen.pointSizeF());
    edtFonteSize->setText(QString::number(points));
    edtFonte->setText(chosen.family());
}

// Runs the settings on the screen with the test file, always in the preview.
// The printer, the dot-matrix filter and the check boxes play no part: the
// test shows how the form is laid out, not where it would go.
void TfrmPrincipal::btnTesteClick()
{
    sPbArquivo = edtArquivoTeste->text();
    sPbOrientacao = rgpOrientacao->ItemIndex() == 0 ? QStringLiteral("RETRATO") : QStringLiteral("PAISAGEM");
    sPbFontName = UpperAscii(edtFonte->text());
    iPbFontSize = edtFonteSize->text().isEmpty() ? 0 : StrToInt(edtFonteSize->text());
    sPbVisualizar = QStringLiteral("SIM");
    ExecutaImpressao();
}

void TfrmPrincipal::btnSalvarClick()
{
    const int printer = rgpImpressora->ItemIndex();
    if (printer < 0) {
        showErrorMessage(QStringLiteral("Selecione uma impressora para a impressão do formulário."));
        return;
    }
    TLauncherSettings settings;
    settings.Orientacao = rgpOrientacao->Items().value(rgpOrientacao->ItemIndex());
    settings.Impressora = rgpImpressora->Items().value(printer);
    settings.IndiceImpressora = printer;
    settings.SalvaNome = ckbSalvaNomeImpressora->isChecked();
    settings.FonteSize = edtFonteSize->text();
    settings.Fonte = edtFonte->text();
    settings.Matricial = ckbImpressoraMatricial->isChecked();
    if (cmbTabelaCaracteres->currentIndex() > 0)
        settings.Tabela = cmbTabelaCaracteres->currentText();
    settings.Visualiza = chkVisualiza->isChecked();
    settings.SemDialogo = ckbImprimirSemDialogo->isChecked();
    // The launcher runs wherever the business system stands, so the folder
    // is written as a full path; one that is not there would fail every form
    // later, where nobody watches, so it is refused now.
    if (const QString folder = edtPastaPdf->text(); !folder.isEmpty()) {
        const QFileInfo info(folder);
        if (!info.isDir()) {
            showErrorMessage(QStringLiteral("A pasta \"%1\" não existe.").arg(folder));
            return;
        }
        settings.PastaPdf = info.absoluteFilePath();
    }
    const QString path = edtArquivo->text();
    files::replaceFile(path, ConteudoLancador(path, settings, FLauncherProgram), !IsBatchFileName(path));
}

} // namespace prenso
