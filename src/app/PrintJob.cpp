#include "app/Principal.h"
#include "app/TextUtils.h"
#include "platform/graphics/canvas.h"
#include "platform/io/files.h"
#include "platform/io/streams.h"
#include "platform/system/errors.h"
#include "platform/system/messagebox.h"
#include "report/RLConsts.h"
#include "report/controls/RLLabel.h"
#include "report/filters/RLFilters.h"
#include "report/filters/draft/RLDraftFilter.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/pagination/RLReport.h"
#include "report/printing/RLPrinters.h"
#include "report/storage/RLGraphicStorage.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <array>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace prenso {
namespace {

int portraitSize(int longest)
{
    if (longest <= 99)
        return 8;
    if (longest <= 126)
        return 7;
    if (longest <= 139)
        return 6;
    if (longest <= 174)
        return 5;
    return 4;
}

int landscapeSize(int longest)
{
    if (longest <= 146)
        return 8;
    if (longest <= 205)
        return 7;
    return 5;
}

// The scratch file name holds at most 300 characters.
constexpr int kScratchNameLimit = 300;

// The scratch file goes beside the program, as it always has. Where programs
// are installed on this platform that folder is not the user's to write, and
// the job would print and then fail over a file nobody reads: there the
// user's temporary folder takes its place, under the same name (the folder
// the package installed the program into is never tried, even by root); so does a
// program folder whose path leaves no room for the name (cutting the path
// would name another file, maybe someone else's). The file is created
// exclusively, so that in a shared folder nobody else's file or link is
// written through, and a file of that name that is there already is never
// touched: the job takes the next free name ("R…-2.XML") instead, so that
// no file the program did not make is ever deleted.
QString createScratchFile(const QString &name, const QStringList &folders)
{
    QString firstTried;
    int firstError = 0;
    const QString stem = name.chopped(4), extension = name.right(4);
    for (const QString &folder : folders) {
        for (int n = 1; n <= 100; ++n) {
            const QString path = folder + (n == 1 ? name : stem + u'-' + QString::number(n) + extension);
            int error = ENAMETOOLONG;
            if (path.size() <= kScratchNameLimit) {
                // Listed while its job runs, so that a job stopped halfway
                // leaves it not; a stop waits until it is.
                const files::TempFileCreation creating;
                if (files::createNewFile(path)) {
                    files::registerTempFile(path);
                    return path;
                }
                error = errno;
            }
            if (firstTried.isEmpty()) {
                firstTried = path;
                firstError = error;
            }
            if (error != EEXIST)
                break;
        }
    }
    throw EFCreateError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(firstTried, SystemErrorMessage(firstError)));
}

// Whether the widest character the form shows fits across the line's band
// and one line's height down the page, in the line control's font.
bool characterFits(const TRLDBText &text, const std::array<bool, 256> &shown)
{
    const TRLCustomControl *band = text.Parent();
    const TRLCustomControl *page = band ? band->Parent() : nullptr;
    if (!band || !page)
        return true;
    TFont font;
    font.SetPixelsPerInch(kDesignPixelsPerInch);
    font.SetName(text.Font().Name());
    font.SetStyle(text.Font().Style());
    font.SetSize(text.Font().Size());
    const FontResource &res = font.Resource();
    int widest = 0;
    for (int c = 33; c < 256; ++c)
        if (shown[static_cast<size_t>(c)])
            widest = std::max(widest, res.advances[static_cast<size_t>(c)]);
    return widest <= band->ClientWidth() - text.Left() && res.height() <= page->ClientHeight();
}

// Why the archive file cannot be written under `path`, before anything is
// done: the safe write would find out only at its end, after the form was
// read and laid out, and a read-only file would simply be replaced.
void checkPdfTarget(const QString &path)
{
    if (path.isEmpty())
        throw Exception(QStringLiteral("/PDF= não diz em que arquivo gravar o PDF"));
    const QString folder = files::folderOf(path);
    const auto refuse = [&](const QString &reason) {
        throw Exception(QStringLiteral("Não é possível gravar o PDF \"%1\": %2").arg(path, reason));
    };
    const QByteArray native = files::encodeName(path);
    struct stat st {};
    const bool exists = ::stat(native.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        refuse(QStringLiteral("é uma pasta"));
    if (!files::isFolder(folder))
        refuse(QStringLiteral("a pasta \"%1\" não existe").arg(folder));
    if (exists && !S_ISREG(st.st_mode))
        refuse(QStringLiteral("não é um arquivo comum"));
    if (exists && ::access(native.constData(), W_OK) != 0)
        refuse(QStringLiteral("o arquivo é somente para leitura"));
    // The file is made beside its name and renamed over it once complete.
    if (::access(files::encodeName(folder).constData(), W_OK | X_OK) != 0)
        refuse(QStringLiteral("a pasta \"%1\" não permite gravar").arg(folder));
}

// The form's components that are not print filters nor reports: the line
// table, its data source, and the setup screen's controls (made only in
// setup mode, but the form's all the same). A /MAT naming one of them is a
// wrong cast, as naming a report is.
bool isComponentOfTheForm(const QString &name)
{
    static const QStringList others{QStringLiteral("cdsLinhaRelatorio"),
                                    QStringLiteral("dtsLinhaRelatorio"),
                                    QStringLiteral("pgcPrincipal"),
                                    QStringLiteral("rgpImpressora"),
                                    QStringLiteral("rgpOrientacao"),
                                    QStringLiteral("edtArquivo"),
                                    QStringLiteral("btnAbrir"),
                                    QStringLiteral("btnSalvar"),
                                    QStringLiteral("edtFonte"),
                                    QStringLiteral("edtFonteSize"),
                                    QStringLiteral("SpeedButton1"),
                                    QStringLiteral("FontDialog1"),
                                    QStringLiteral("ckbImpressoraMatricial"),
                                    QStringLiteral("ckbSalvaNomeImpressora"),
                                    QStringLiteral("ckbImprimirSemDialogo"),
                                    QStringLiteral("chkVisualiza"),
                                    QStringLiteral("edtArquivoTeste"),
                                    QStringLiteral("btnAbrirTeste"),
                                    QStringLiteral("btnTeste"),
                                    QStringLiteral("odArquivo"),
                                    QStringLiteral("edtPastaPdf"),
                                    QStringLiteral("btnPastaPdf"),
                                    QStringLiteral("lblPastaPdf"),
                                    QStringLiteral("odPastaPdf"),
                                    QStringLiteral("Label1"),
                                    QStringLiteral("Label2"),
                                    QStringLiteral("Label3"),
                                    QStringLiteral("lbl1")};
    return others.contains(name, Qt::CaseInsensitive);
}

} // namespace

void TfrmPrincipal::writePdf(TRLReport &report)
{
    // Unattended: no progress window either. The save dialog's PDF stays as
    // it was.
    const bool reportProgress = report.ShowProgress(), filterProgress = rlpdfltr1->ShowProgress();
    const QString fileName = rlpdfltr1->FileName();
    const auto restore = qScopeGuard([&] {
        report.SetShowProgress(reportProgress);
        rlpdfltr1->SetShowProgress(filterProgress);
        rlpdfltr1->SetArchive(false);
        rlpdfltr1->SetFileName(fileName);
    });
    report.SetShowProgress(false);
    rlpdfltr1->SetShowProgress(false);
    rlpdfltr1->SetArchive(true);
    rlpdfltr1->SetFileName(files::absolutePath(sPbPdf));
    if (!report.Export(*rlpdfltr1))
        throw Exception(QStringLiteral("O PDF \"%1\" não foi gravado: as páginas não foram preparadas").arg(sPbPdf));
}

bool ShowsPrintDialog(const QString &dialogo)
{
    // Upper-casing leaves accented letters alone, so "não" arrives as "NãO".
    return dialogo != QLatin1String("NAO") && dialogo != QStringLiteral("NÃO") && dialogo != QStringLiteral("NãO");
}

bool RunMayShowWindows(const QStringList &arguments)
{
    if (arguments.size() <= 1)
        return true; // the setup screen
    try {
        const TSwitches switches = ReadSwitches(arguments);
        if (switches.pdfGiven)
            return false;
        return !switches.autoPrint || ShowsPrintDialog(switches.dialogo) || switches.visualizar == QLatin1String("SIM");
    } catch (...) {
        return true; // the box that says why the switches do not read
    }
}

TJobSettings TfrmPrincipal::jobSettings() const
{
    TJobSettings job;
    if (sPbOrientacao == QLatin1String("PAISAGEM"))
        job.orientation = TJobSettings::Orientation::Paisagem;
    else if (sPbOrientacao != QLatin1String("RETRATO"))
        job.orientation = TJobSettings::Orientation::Outra;
    job.preview = sPbVisualizar == QLatin1String("SIM");
    job.printDialog = ShowsPrintDialog(sPbDialogo);
    job.pdf = bPbPdf;
    // An archive file goes through the PDF filter whatever /MAT names.
    if (!bPbPdf)
        job.filter = sPbMatricial;
    return job;
}

void TfrmPrincipal::checkJob(const TJobSettings &job) const
{
    // An archive file is written whatever the printers and the display: its
    // name is checked before any work, so that a job that cannot write it
    // leaves nothing behind.
    if (job.pdf) {
        checkPdfTarget(sPbPdf);
        return;
    }
    // Without a display nobody can answer the print dialog or close the
    // preview: say so before any work instead of waiting for ever.
    if (dialogsAutomatic()) {
        if (job.preview)
            throw ENoOperator(QStringLiteral("Não há tela para mostrar a visualização. Para imprimir sem ela, "
                                             "deixe de lado /VIS=SIM e use /DLG=NAO"));
        if (job.printDialog)
            throw ENoOperator(QStringLiteral("Não há tela para mostrar o diálogo de impressão. Para imprimir "
                                             "sem ele, use /DLG=NAO"));
    }
    // With the dialog the operator sees which printer a name that matched
    // nothing, or an index past the list, fell back to; unattended nobody
    // would, and the form would come out on another printer.
    if (!job.printDialog) {
        const bool nameMissed = !sPbImpressora.isEmpty() && !FPrinterMatched;
        const bool indexMissed =
            FPrinterIndexGiven &&
            (iPbImpressora < 0 || iPbImpressora >= static_cast<int>(RLPrinter().Printers().size()));
        if (nameMissed || indexMissed)
            throw Exception(LS().LS_PrinterNotFoundStr);
    }
}

QString TfrmPrincipal::openScratchFile(const QString &name)
{
    QStringList folders{files::tempFolder()};
    if (const QString own = files::programFolder(); !own.isEmpty())
        folders.prepend(own);
    const QString scratch = createScratchFile(name, folders);
    cdsLinhaRelatorio.SetFileName(scratch);
    cdsLinhaRelatorio.SetScratch(true); // deleted at the job's end
    return scratch;
}

void TfrmPrincipal::readForm(std::array<bool, 256> &shown)
{
    cdsLinhaRelatorio.CreateDataSet();
    cdsLinhaRelatorio.SetIndexFieldNames(QStringLiteral("INDICE"));
    cdsLinhaRelatorio.Open();
    FArquivo.open(sPbArquivo);
    int longest = 0;
    int32_t counter = 0;
    std::string line;
    uint64_t lineLength = 0;
    // Only the table's 250 characters of a line are kept; the rest is only
    // counted, so a line without end cannot fill the memory.
    while (FArquivo.readLine(line, lineLength, TLineTable::kLinhaSize)) {
        // Every byte is one character of the code page, so the byte count is
        // the length in characters.
        const int length = lineLength > static_cast<uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<int>(lineLength);
        if (length > longest)
            longest = length;
        ++counter;
        for (const unsigned char c : line)
            shown[c] = true;
        cdsLinhaRelatorio.AppendLine(counter, line);
    }
    FLongest = longest;
}

void TfrmPrincipal::keepScratchRoom(QString &scratch, const QString &name)
{
    // The table is complete: its scratch file can be written while the
    // pages are laid out. Its room on the disk is taken first: a folder that
    // has none (a full disk, a file size limit) is found out before anything
    // prints; the temporary folder takes the file's place then, as it does
    // for a folder the program cannot write to.
    cdsLinhaRelatorio.WriteAhead();
    QString noRoom;
    if (cdsLinhaRelatorio.HasRoom(&noRoom))
        return;
    const bool inTemp = files::folderOf(scratch) == files::absolutePath(files::tempFolder());
    if (!inTemp) {
        const QString moved = createScratchFile(name, {files::tempFolder()});
        files::deleteFile(scratch);
        files::unregisterTempFile(scratch);
        scratch = moved;
        cdsLinhaRelatorio.SetFileName(scratch);
        cdsLinhaRelatorio.WriteAhead();
    }
    if (inTemp || !cdsLinhaRelatorio.HasRoom(&noRoom))
        throw EWriteError(QStringLiteral("Cannot write file \"%1\". %2").arg(scratch, noRoom));
}

std::pair<TRLReport *, TRLDBText *> TfrmPrincipal::chooseLayout(TJobSettings &job)
{
    using enum TJobSettings::Orientation;
    if (FLongest > 200) {
        sPbOrientacao = QStringLiteral("PAISAGEM");
        job.orientation = Paisagem;
    }
    // A size from /FOS stays; an orientation that is neither keeps the size
    // it was given, 0 when none was.
    if (job.orientation == Retrato && iPbFontSize == 0)
        iPbFontSize = portraitSize(FLongest);
    if (job.orientation == Paisagem && iPbFontSize == 0)
        iPbFontSize = landscapeSize(FLongest);
    if (job.orientation == Retrato)
        return {rlrRetrato, rldbtxtLinha};
    return {rlrPaisagem, rldbtxtLinhaP};
}

void TfrmPrincipal::bindFilter(TRLReport &report, const TJobSettings &job)
{
    if (job.filter.isEmpty())
        return;
    TComponent *component = FindComponent(job.filter);
    if ((component && !dynamic_cast<TRLCustomPrintFilter *>(component)) ||
        (!component && isComponentOfTheForm(job.filter)))
        throw EInvalidCast();
    report.SetDefaultFilter(static_cast<TRLCustomPrintFilter *>(component));
    // A table the draft filter does not know would print the letters as
    // other characters: nothing goes out.
    if (auto *draft = dynamic_cast<TRLDraftFilter *>(component)) {
        const std::optional<TRLDraftCharTable> table =
            sPbTabela.isEmpty() ? TRLDraftCharTable::ctNone : DraftCharTableByName(sPbTabela);
        if (!table)
            throw Exception(QStringLiteral("/TAB=%1 não é uma tabela de caracteres conhecida. As tabelas são: %2")
                                .arg(sPbTabela, DraftCharTableNames().join(QStringLiteral(", "))));
        draft->SetCharTable(*table);
    }
}

void TfrmPrincipal::bindFont(TRLDBText &text, const std::array<bool, 256> &shown)
{
    if (sPbFontName.isEmpty())
        sPbFontName = QStringLiteral("Courier New");
    // A size in points is not negative (the engine would measure and draw
    // such a size apart), and a size so large that not one character of a
    // line fits would print blank pages: either would pass for a printed form.
    if (iPbFontSize < 0)
        throw Exception(QStringLiteral("O tamanho de fonte /FOS=%1 não é um tamanho em pontos").arg(iPbFontSize));
    // Name and size at once: the text measures itself at every change, and
    // the name alone would realise a face at the old size for nothing.
    TFont font = text.Font();
    font.SetName(sPbFontName);
    font.SetSize(iPbFontSize);
    text.SetFont(font);
    if (!characterFits(text, shown))
        throw Exception(QStringLiteral("O tamanho de fonte /FOS=%1 é grande demais: nenhum caractere das linhas "
                                       "cabe na página")
                            .arg(iPbFontSize));
}

void TfrmPrincipal::output(TRLReport &report, const TJobSettings &job)
{
    RLPrinter().SetPrinterIndex(iPbImpressora);
    report.SetPrintDialog(job.printDialog);
    // The report is ready from an earlier job (the setup screen runs several
    // in one process): this job's lines and font are laid out afresh.
    report.Clear();
    if (job.pdf)
        writePdf(report);
    else if (job.preview)
        report.PreviewModal();
    else
        report.Print();
}

void TfrmPrincipal::finishScratch(const QString &scratch)
{
    FArquivo.close();
    // The pages have reached the printer: a scratch file that could still
    // not be written (its room was taken before printing) must not make the
    // run look failed, or a business system that retries prints the form
    // twice. It is told on standard error, where such a system logs.
    try {
        cdsLinhaRelatorio.Close();
    } catch (const Exception &e) {
        cdsLinhaRelatorio.CloseWithoutWriting();
        std::fprintf(stderr, "Prenso: %s (o formulário foi impresso)\n",
                     files::readableText(e.message()).toLocal8Bit().constData());
    }
    if (files::fileExists(scratch))
        files::deleteFile(scratch);
    files::unregisterTempFile(scratch);
}

// The print job: reads the form into the line table, decides orientation and
// font size, binds filter, font and printer to the chosen report and prints or
// previews it, then closes the table and removes its scratch file.
void TfrmPrincipal::ExecutaImpressao()
{
    TJobSettings job = jobSettings();
    checkJob(job);

    cdsLinhaRelatorio.Close();
    QString stamp = DataHoraParaTexto(QDateTime::currentDateTime());
    stamp.remove(u'/').remove(u':').remove(u' ');
    const QString scratchName = QStringLiteral("R") + stamp + QStringLiteral(".XML");
    QString scratch = openScratchFile(scratchName);
    // A job that fails or is cancelled leaves nothing behind: the form file
    // is closed, the table dropped unwritten and its scratch file removed, so
    // that the next job starts clean.
    bool finished = false;
    // The print queue shows the job under the form's name.
    RLPrinter().SetQueueName(files::readableText(QFileInfo(sPbArquivo).fileName()));
    const auto cleanUp = qScopeGuard([&] {
        RLPrinter().SetQueueName(QString());
        if (finished)
            return;
        FArquivo.close();
        cdsLinhaRelatorio.CloseWithoutWriting();
        if (files::fileExists(scratch))
            files::deleteFile(scratch);
        files::unregisterTempFile(scratch);
    });

    std::array<bool, 256> shown{};
    readForm(shown);
    keepScratchRoom(scratch, scratchName);
    const auto [report, text] = chooseLayout(job);
    FLastReport = report;
    bindFilter(*report, job);
    bindFont(*text, shown);
    output(*report, job);
    finishScratch(scratch);
    finished = true;
}

} // namespace prenso
