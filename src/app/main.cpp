// Prenso: prints the plain-text forms of the business system.
//
// Exit status: 0 when the job was done (or there was none), 1 after an
// error box, 2 when the operator cancelled the print dialog.
#include "app/Principal.h"
#include "platform/graphics/fontconfiguration.h"
#include "platform/io/files.h"
#include "platform/printing/printahead.h"
#include "platform/system/messagebox.h"
#include "platform/system/session.h"
#include "platform/system/stop.h"
#include "report/RLConsts.h"

#include <QApplication>
#include <QFile>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef PRENSO_VERSION
#error "PRENSO_VERSION is set by the build from the project version"
#endif

namespace {

// What `prenso --help` and `prenso /?` print: the switches as the manual page
// and the README describe them, short enough for a terminal.
constexpr const char *kUsage =
    R"(Usage: prenso [/ARQ=file] [switches]
       prenso            (no arguments: the setup screen that writes launchers)
       prenso --help | /?
       prenso --version

Prints a plain-text form of the business system: one printed line per text
line, a form feed at the start of a line for a page break.

Switches (names and values are upper-cased, but for the paths of /ARQ and /PDF;
a value in double quotes may hold blanks; unknown switches are ignored):
  /ARQ=file             the form file to print; without it nothing is printed
  /ORI=RETRATO          portrait (the default)
  /ORI=PAISAGEM         landscape (lines longer than 200 characters always are)
  /IMPI=n               printer by its index among the print server's queues,
                        in name order (0 = first)
  /IMPS=name            printer by name (overrides /IMPI when found); a name
                        that is no queue may be a printer the network advertises
  /FOS=n                font size in points (default: from the longest line)
  /FON=name             font name (default Courier New)
  /MAT=RLDraftFilter1   print through the dot-matrix (ESC/P) draft filter
  /TAB=table            its character table: PC437, PC850, PC858, PC860,
                        ABICOMP or BRASCII (default: the printer's own)
  /VIS=SIM              show the preview instead of printing at once
  /DLG=NAO              print without the print dialog
  /PDF=file             write an archive PDF (PDF/A-1b) instead of printing;
                        needs neither printer nor display

Exit status: 0 done (or nothing to do), 1 after an error, 2 when the operator
cancelled the print dialog.

Environment: CUPS_SERVER, PRENSO_DIALOGS=auto|attended, PRENSO_QT_MESSAGES,
TMPDIR. See prenso(1).
)";

// The three words that ask about the program instead of printing: answered
// before the toolkit starts, so they need neither printer nor display and
// open no window. Every other word the program does not know is ignored.
const char *informationAsked(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "/?") == 0)
            return kUsage;
        if (std::strcmp(argv[i], "--version") == 0)
            return "Prenso " PRENSO_VERSION "\n";
    }
    return nullptr;
}

// The arguments the caller gave, every one of them, as the command line
// reads them: the double quotes of a batch line's quoted stretch are
// dropped, also when a caller without a shell hands them over as they are.
QStringList callerArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        QString argument = prenso::files::decodeName(QByteArray(argv[i]));
        if (i > 0)
            argument.remove(u'"');
        arguments.append(argument);
    }
    return arguments;
}

// What the toolkit is started with: the program's name and the platform,
// none of the caller's arguments (it would take those it knows, -reverse,
// -style, -platform …, and the program would miscount the switches). Qt
// gives up (and takes the process down) when its platform cannot reach a
// display. Without one, or when the one named does not answer, the program
// draws into memory instead, and nothing waits for a click.
std::vector<char *> toolkitArguments(char **argv)
{
    std::vector<char *> args(argv, argv + 1);
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return args;
    static char option[] = "-platform";
    static char offscreen[] = "offscreen";
    static char x11[] = "xcb;offscreen";
    static char wayland[] = "wayland;xcb;offscreen";
    char *platform = offscreen;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        platform = wayland;
    else if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        platform = x11;
    args.push_back(option);
    args.push_back(platform);
    return args;
}

// Whether the toolkit was pointed at a display rather than at memory.
bool drawsOnDisplay(const std::vector<char *> &toolkitArgs)
{
    const QByteArray platform = toolkitArgs.size() > 2 ? QByteArray(toolkitArgs[2]) : qgetenv("QT_QPA_PLATFORM");
    return !platform.startsWith("offscreen") && !platform.startsWith("minimal");
}

// The business system logs what the program writes on standard error, and
// only the program's own messages belong there: the toolkit's remarks about
// its environment (a runtime folder not set under cron or a service, a
// window system's limits) are dropped. PRENSO_QT_MESSAGES brings them back.
void toolkitMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg || qEnvironmentVariableIsSet("PRENSO_QT_MESSAGES"))
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// The toolkit wants a runtime folder of the user's own and makes one in the
// temporary folder when none is named (under cron or a service) or the one
// named is another user's (a service run as another user, su), where it
// would stay: such a run gets one of its own for its length.
void ensureRuntimeFolder()
{
    const QByteArray named = qgetenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (!named.isEmpty() && ::stat(named.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        return;
    QByteArray name = prenso::files::encodeName(prenso::files::tempFolder() + QStringLiteral("prenso-run-XXXXXX"));
    if (!::mkdtemp(name.data()))
        return;
    prenso::files::registerTempFile(prenso::files::decodeName(name));
    qputenv("XDG_RUNTIME_DIR", name);
}

} // namespace

int main(int argc, char **argv)
{
    if (const char *information = informationAsked(argc, argv)) {
        std::fputs(information, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // The user's locale, as the toolkit sets it when it starts, but before
    // any thread: the printing library reads the locale's names on the
    // printer look-ahead's thread, and setting them while it does frees the
    // names it reads. Set once here, the toolkit's own call finds them the
    // same and keeps them.
    std::setlocale(LC_ALL, "");
    qInstallMessageHandler(toolkitMessage);
    ensureRuntimeFolder();
    // Before any thread: a caller that stops the program finds nothing of its
    // job left behind, neither files nor half a job in the print queue.
    prenso::stop::handleStopSignals();
    const QStringList arguments = callerArguments(argc, argv);
    // Asked while the toolkit starts and the reports are built: the printer
    // list and the queue the run prints on, and the font configuration.
    const auto printerAhead = prenso::LookAheadForPrinter(arguments);
    std::vector<char *> args = toolkitArguments(argv);
    prenso::fonts::FontConfigurationReader fontConfiguration(prenso::RunMayShowWindows(arguments) &&
                                                             drawsOnDisplay(args));
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    // The menu entry the windows belong to, for the desktop's icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.prenso.Prenso"));
    QApplication app(count, args.data());
    // The run's printer, filters, windows' hooks and texts, which go before
    // the application object does.
    prenso::Session session;
    // The engine's texts follow the user's language as it is now, before any
    // report or engine window exists.
    prenso::InitLocaleStrings();
    bool aborted = false;
    {
        prenso::TfrmPrincipal form(arguments);
        form.show();
        if (!form.closing()) {
            // The setup screen waits for its operator; without a display
            // there is none.
            if (prenso::dialogsAutomatic())
                prenso::showErrorBox(QStringLiteral("Não há tela para mostrar a tela de configuração. Para "
                                                    "imprimir um formulário, use /ARQ=arquivo /DLG=NAO"));
            else
                app.exec();
        }
        aborted = form.aborted();
    }
    fontConfiguration.wait();
    prenso::files::deleteRegisteredTempFiles();
    if (prenso::errorBoxCount() > 0)
        return 1;
    return aborted ? 2 : 0;
}
