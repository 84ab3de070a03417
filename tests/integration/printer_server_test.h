#pragma once
// The base of the tests that need the private print server: skips when it
// could not start, and leaves it as it found it (no queues, no user options,
// a fresh printer wrapper).

#include "platform/printers.h"
#include "report/printing/RLPrinters.h"
#include "support/private_cupsd.h"

#include <QFile>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace prenso::test {

class PrinterServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cupsd = PrivateCupsd::shared();
        if (!cupsd || !cupsd->running())
            GTEST_SKIP() << "the private print server (cupsd) could not start: "
                         << (cupsd ? cupsd->error().toStdString() : std::string("not started"));
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
    // a size of the program's own) in both orientations, once from what the
    // server says of the queue and once through the toolkit's printer, and
    // expects the same sheet, printable area and job options.
    static void expectTheToolkitsSheets(const QString &queue)
    {
        struct Paper {
            int code; // 0: the queue's default
            int widthTenths, lengthTenths;
        };
        for (const Paper paper :
             {Paper{0, 0, 0}, Paper{1, 0, 0}, Paper{9, 0, 0}, Paper{11, 0, 0}, Paper{256, 1000, 1500}}) {
            for (const bool landscape : {false, true}) {
                SCOPED_TRACE(queue.toStdString() + " paper " + std::to_string(paper.code) +
                             (landscape ? " landscape" : " portrait"));
                auto layOut = [&](bool toolkitsPrinter) {
                    printing::resetPrinterForTesting();
                    printing::PlatformPrinter &printer = printing::thePrinter();
                    if (toolkitsPrinter)
                        printer.qprinter();
                    EXPECT_TRUE(printer.select(static_cast<int>(printer.printers().indexOf(queue))));
                    if (paper.code != 0)
                        printer.setPaper(paper.code, paper.widthTenths, paper.lengthTenths, QSizeF());
                    printer.setLandscape(landscape);
                    printer.setCopies(2);
                    printing::DeviceMetrics metrics;
                    EXPECT_TRUE(printer.readMetrics(metrics));
                    EXPECT_TRUE(printer.printsThroughServer());
                    return std::tuple(metrics.ppiX, metrics.paper, metrics.printable, printer.documentOptions());
                };
                const auto described = layOut(false);
                EXPECT_EQ(described, layOut(true));
            }
        }
        printing::resetPrinterForTesting();
    }

    PrivateCupsd *cupsd = nullptr;
};

} // namespace prenso::test
