#pragma once
// The base of the tests that need the private print server: skips when it
// could not start, and leaves it as it found it (no queues, no user options,
// a fresh printer wrapper).

#include "platform/printers.h"
#include "report/printing/RLPrinters.h"
#include "support/private_cupsd.h"

#include <QFile>
#include <gtest/gtest.h>

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

    PrivateCupsd *cupsd = nullptr;
};

} // namespace prenso::test
