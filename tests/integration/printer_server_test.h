#pragma once
// The base of the tests that need the private print server: skips when it
// could not start, and leaves it as it found it (no queues, no user options,
// a fresh printer wrapper).

#include "platform/graphics/units.h"
#include "platform/printing/printers.h"
#include "report/printing/RLPrinters.h"
#include "support/private_cupsd.h"

#include <QFile>
#include <QPrinter>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace prenso::test {

class PrinterServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cupsd = PrivateCupsd::shared();
        if (!cupsd || !cupsd->running()) {
            const std::string why = "the private print server (cupsd) could not start: " +
                                    (cupsd ? cupsd->error().toStdString() : std::string("not started"));
            // In CI a missing package must not hide behind a green run.
            if (qgetenv("CI") == "true")
                FAIL() << why;
            GTEST_SKIP() << why;
        }
        cleanUp();
    }

    void TearDown() override
    {
        if (cupsd && !cupsd->running())
            cupsd->start();
        if (cupsd && cupsd->running())
            cleanUp();
    }

    void cleanUp()
    {
        printing::setPrinterListSourceForTesting({});
        ResetRLPrinterForTesting();
        cupsd->removeAllQueues();
        QFile::remove(cupsd->userOptionsFile());
    }

    // Lays `queue` out for each of a few papers (its default, Letter, A4, A5,
    // a size of the program's own) in both orientations from what the server
    // says of the queue, and expects the toolkit's printer, set to the same
    // settings, to see the same resolution, sheet and printable area: pages
    // painted on it land where pages sent as documents do.
    static void expectTheToolkitsSheets(const QString &queue)
    {
        struct Paper {
            int code; // 0: the queue's default
            int widthTenths, lengthTenths;
        };
        const auto rounded = [](const QRectF &r) {
            return QRect(RoundCoord(r.x()), RoundCoord(r.y()), RoundCoord(r.width()), RoundCoord(r.height()));
        };
        for (const Paper paper :
             {Paper{0, 0, 0}, Paper{1, 0, 0}, Paper{9, 0, 0}, Paper{11, 0, 0}, Paper{256, 1000, 1500}}) {
            for (const bool landscape : {false, true}) {
                SCOPED_TRACE(queue.toStdString() + " paper " + std::to_string(paper.code) +
                             (landscape ? " landscape" : " portrait"));
                printing::resetPrinterForTesting();
                printing::PlatformPrinter &printer = printing::thePrinter();
                EXPECT_TRUE(printer.select(static_cast<int>(printer.printers().indexOf(queue))));
                if (paper.code != 0)
                    printer.setPaper(paper.code, paper.widthTenths, paper.lengthTenths, QSizeF());
                printer.setLandscape(landscape);
                printing::DeviceMetrics metrics;
                EXPECT_TRUE(printer.readMetrics(metrics));
                EXPECT_TRUE(printer.printsThroughServer());
                QPrinter &toolkit = printer.qprinter();
                EXPECT_EQ(std::tuple(metrics.ppiX, metrics.paper, metrics.printable),
                          std::tuple(toolkit.resolution(), rounded(toolkit.paperRect(QPrinter::DevicePixel)),
                                     rounded(toolkit.pageRect(QPrinter::DevicePixel))));
            }
        }
        printing::resetPrinterForTesting();
    }

    PrivateCupsd *cupsd = nullptr;
};

} // namespace prenso::test
