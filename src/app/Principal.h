#pragma once
// The main form: the run settings of one print job, the start-up logic of the
// command line, printer discovery, the print job, and the setup screen.

#include "data/LineTable.h"
#include "platform/io/textfile.h"
#include "platform/system/component.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

class QTabWidget;
class QLineEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;
class QFileDialog;
class QFontDialog;

namespace prenso {

// The run settings as one job reads them: once, at its start, typed.
struct TJobSettings {
    // /ORI: RETRATO, PAISAGEM, or any other text, which lays the form out
    // on the landscape report at the size /FOS gives (0 without one).
    enum class Orientation { Retrato, Paisagem, Outra };
    Orientation orientation = Orientation::Retrato;
    bool preview = false;    // /VIS=SIM
    bool printDialog = true; // anything but /DLG=NAO
    bool pdf = false;        // /PDF=: the form goes into an archive file
    QString filter;          // /MAT: the component that prints, or empty
};

// The switches of one run as the command line gives them (argument 0, the
// program, is not read). A switch given twice counts as the later one; those
// that are optional here leave the setting they stand for alone when absent.
struct TSwitches {
    std::optional<QString> arquivo;         // /ARQ, as typed
    bool autoPrint = false;                 // an /ARQ that is not the test file
    std::optional<QString> orientacao;      // /ORI
    std::optional<int32_t> impressoraIndex; // /IMPI
    int32_t fontSize = 0;                   // /FOS
    QString fontName;                       // /FON
    std::optional<QString> impressora;      // /IMPS
    QString matricial;                      // /MAT
    QString tabela;                         // /TAB
    QString visualizar;                     // /VIS
    QString dialogo;                        // /DLG
    QString pdf;                            // /PDF, as typed
    bool pdfGiven = false;
};
TSwitches ReadSwitches(const QStringList &arguments);
// Whether a /DLG value asks for the print dialog: anything but NAO does.
bool ShowsPrintDialog(const QString &dialogo);
// Whether a run of these arguments may show a window: the setup screen, the
// print dialog, the preview, a message box. An unattended print or an
// archive file shows none (but an error's box, where there is a display).
bool RunMayShowWindows(const QStringList &arguments);

namespace printing {
class PrinterLookAhead;
}
// Starts asking the print server for the printer list, and for the queue
// that an unattended print of these arguments will print on, while the
// program starts; null when the run lists no printers. Made before the
// toolkit, kept until the main form has gone.
std::unique_ptr<printing::PrinterLookAhead> LookAheadForPrinter(const QStringList &arguments);

class TRadioGroup;
class TRLCustomFilter;
class TRLReport;
class TRLBand;
class TRLDBText;
class TRLCustomControl;
class TRLPDFFilter;
class TRLDraftFilter;

class TfrmPrincipal : public QWidget, public TComponent {
    Q_OBJECT
public:
    // The path of the built-in test file, which is never printed from the command line.
    static const QString kTestFilePath;

    // Builds the form and runs FormCreate with the program's arguments
    // (argument 0 is the program path and is not read).
    explicit TfrmPrincipal(const QStringList &arguments, QWidget *parent = nullptr);
    // Builds the form without running FormCreate (for tests).
    struct NoCreate {};
    TfrmPrincipal(NoCreate, const QStringList &arguments, QWidget *parent = nullptr);
    ~TfrmPrincipal() override;

    // The run settings, in their declared order.
    int32_t iPbImpressora = 0;
    int32_t iPbFontSize = 0;
    QString sPbArquivo;
    QString sPbOrientacao;
    QString sPbFontName;
    QString sPbImpressora;
    QString sPbVisualizar;
    QString sPbMatricial;
    // /TAB=: the dot-matrix printer's character table (upper case; empty: none).
    QString sPbTabela;
    // "NAO" (or "NÃO"): print without the print dialog, as if it had been
    // confirmed with all pages and one copy. Anything else shows the dialog.
    QString sPbDialogo;
    // The file the form is written into as an archive PDF (/PDF=), as typed;
    // with /PDF= the job prints nothing and asks nothing.
    QString sPbPdf;
    bool bPbPdf = false; // /PDF= was given (an empty name is an error)

    void FormCreate();
    // Runs FormCreate and shows what escapes it as the event loop would: an
    // error in a box, a silent abort not at all (aborted() tells).
    void RunFormCreate();
    void BuscaImpressora();
    void ExecutaImpressao();

    // True once FormShow decided to close the window (command-line mode).
    bool closing() const { return FClosing; }
    // True when the command line's job ended in a silent abort (the operator
    // cancelled the print dialog).
    bool aborted() const { return FAborted; }
    int argumentCount() const { return static_cast<int>(FArguments.size()) - 1; }

    // Components the job drives.
    TLineTable cdsLinhaRelatorio;
    TDataSource dtsLinhaRelatorio;
    TRLReport *rlrRetrato = nullptr;
    TRLBand *RLBand1 = nullptr;
    TRLDBText *rldbtxtLinha = nullptr;
    TRLReport *rlrPaisagem = nullptr;
    TRLBand *RLBand2 = nullptr;
    TRLDBText *rldbtxtLinhaP = nullptr;
    TRLPDFFilter *rlpdfltr1 = nullptr;        // the "Documento PDF" save format
    TRLDraftFilter *RLDraftFilter1 = nullptr; // dot-matrix printers (/MAT="RLDraftFilter1")

    // A line that begins with a form feed starts a new page.
    void rldbtxtLinhaBeforePrint(TRLCustomControl *sender, QString &text, bool &printIt);
    void rldbtxtLinhaPBeforePrint(TRLCustomControl *sender, QString &text, bool &printIt);

    // Widgets of the setup screen.
    QTabWidget *pgcPrincipal = nullptr;
    TRadioGroup *rgpImpressora = nullptr;
    TRadioGroup *rgpOrientacao = nullptr;
    QLineEdit *edtArquivo = nullptr;
    QLineEdit *edtFonteSize = nullptr;
    QLineEdit *edtFonte = nullptr;
    QLineEdit *edtArquivoTeste = nullptr;
    QCheckBox *ckbSalvaNomeImpressora = nullptr;
    QCheckBox *ckbImpressoraMatricial = nullptr;
    // The dot-matrix printer's character table ("Padrão": its own).
    QComboBox *cmbTabelaCaracteres = nullptr;
    QCheckBox *chkVisualiza = nullptr;
    // Unticked: the launcher prints with the print dialog, as it always has.
    QCheckBox *ckbImprimirSemDialogo = nullptr;
    QToolButton *btnAbrir = nullptr;
    QToolButton *btnSalvar = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *btnAbrirTeste = nullptr;
    QPushButton *btnTeste = nullptr;
    // A folder here makes the launcher archive each form there as a PDF
    // named after it, instead of printing it.
    QLineEdit *edtPastaPdf = nullptr;
    QToolButton *btnPastaPdf = nullptr;
    QFileDialog *odArquivo = nullptr;   // shared by both "Abrir" buttons
    QFileDialog *odPastaPdf = nullptr;  // made on first use
    QFontDialog *FontDialog1 = nullptr; // made on first use

    // The setup screen's handlers. They raise their errors; a click on the
    // screen shows what escapes them in a box, and the screen stays open.
    void btnAbrirClick();
    void btnAbrirTesteClick();
    void SpeedButton1Click();
    void btnTesteClick();
    void btnSalvarClick();
    void btnPastaPdfClick();

    // The program a shell launcher starts: this running program, unless a
    // test names the built one.
    void SetLauncherProgram(const QString &path) { FLauncherProgram = path; }

    // What the last job read (for tests and the benchmark).
    int lastLongestLine() const { return FLongest; }
    // The report the last job chose, or nullptr.
    TRLReport *lastReport() const { return FLastReport; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildScreen();
    void buildReports();
    void showReportLayouts();
    void applyTabOrder();
    // Runs an event handler, showing what escapes it as the event loop would.
    static void runHandler(void (TfrmPrincipal::*handler)(), TfrmPrincipal *form);
    // The open dialog on the executable's folder; the full path chosen, or
    // an empty text when the operator cancelled.
    QString chooseFile();
    void FormShow();

    // The steps of a job (ExecutaImpressao), in their order.
    TJobSettings jobSettings() const;
    // What can be known wrong before any work: nothing is made then.
    void checkJob(const TJobSettings &job) const;
    // The line table's scratch file, new and listed; `name` is its name.
    QString openScratchFile(const QString &name);
    // Opens the line table and reads the form into it; sets FLongest and
    // the characters shown.
    void readForm(std::array<bool, 256> &shown);
    // Takes the scratch file's room on the disk, moving it to the temporary
    // folder when its folder has none.
    void keepScratchRoom(QString &scratch, const QString &name);
    // The report and its line control for the form's widest line; sets the
    // orientation and the font size the job prints with.
    std::pair<TRLReport *, TRLDBText *> chooseLayout(TJobSettings &job);
    // The print filter /MAT names (and /TAB's table) on `report`.
    void bindFilter(TRLReport &report, const TJobSettings &job);
    // The font on the line control, checked against the characters shown.
    void bindFont(TRLDBText &text, const std::array<bool, 256> &shown);
    // The printer, then the pages out: archive file, preview or print.
    void output(TRLReport &report, const TJobSettings &job);
    // The form file closed and the table's scratch file written and removed.
    void finishScratch(const QString &scratch);
    // Writes the prepared pages of `report` into sPbPdf.
    void writePdf(TRLReport &report);

    QStringList FArguments;
    bool FClosing = false;
    bool FAborted = false;
    // Whether the last discovery found the printer sPbImpressora names, and
    // whether the command line gave an index.
    bool FPrinterMatched = false;
    bool FPrinterIndexGiven = false;
    bool FShownOnce = false;
    int FLongest = 0;
    TRLReport *FLastReport = nullptr;
    std::unique_ptr<TRLReport> FRetrato;
    std::unique_ptr<TRLReport> FPaisagem;
    std::unique_ptr<TRLPDFFilter> FPdf;
    std::unique_ptr<TRLDraftFilter> FDraft;
    TextFileReader FArquivo; // the form file of the running job
    QString FLauncherProgram;
};

} // namespace prenso
