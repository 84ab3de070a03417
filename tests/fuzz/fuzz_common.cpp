#include "fuzz_common.h"

#include "platform/io/files.h"
#include "platform/printing/printers.h"
#include "report/storage/RLGraphicStorage.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QtGlobal>

#include <algorithm>
#include <cstdlib>

namespace prenso::fuzz {

void initialise()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Hostile pages make the toolkit complain about every odd pen; the
    // complaints only slow the run down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = new QGuiApplication(argc, argv);
    (void)app;
    // A damaged picture may claim any size; the reader must not be the
    // thing that runs out of memory.
    QImageReader::setAllocationLimit(16);
    const QString dir = QDir::tempPath() + QStringLiteral("/prenso-fuzz");
    QDir().mkpath(dir);
    ::setenv("TMPDIR", QFile::encodeName(dir).constData(), 1);
    printing::setPrinterListSourceForTesting([] { return QStringList(); });
}

int pagesWorthFiltering(TRLGraphicStorage &storage)
{
    const int most = std::min(storage.PageCount(), 16);
    for (int i = 0; i < most; ++i) {
        const TRLGraphicPage *page = storage.Pages(i);
        if (page && page->ObjectCount() > 2000)
            return i;
    }
    return most;
}

} // namespace prenso::fuzz
