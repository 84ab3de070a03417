#include "platform/graphics/fontconfiguration.h"

#include "platform/graphics/facememory.h"

#include <condition_variable>
#include <fontconfig/fontconfig.h>
#include <mutex>

namespace prenso::fonts {

namespace {

std::mutex readingMutex;
std::condition_variable readingEnded;
int readersAtWork = 0;

} // namespace

FontConfigurationReader::FontConfigurationReader(bool windowsExpected)
{
    {
        const std::lock_guard lock(readingMutex);
        ++readersAtWork;
    }
    useRememberedFaces(!windowsExpected);
    m_thread = std::thread([windowsExpected] {
        // Pages whose faces are all remembered need no configuration; the
        // windows' own fonts do.
        if (windowsExpected || !loadFaceMemory())
            FcInit();
        const std::lock_guard lock(readingMutex);
        --readersAtWork;
        readingEnded.notify_all();
    });
}

FontConfigurationReader::~FontConfigurationReader()
{
    wait();
}

void FontConfigurationReader::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void awaitFontConfiguration()
{
    std::unique_lock lock(readingMutex);
    readingEnded.wait(lock, [] { return readersAtWork == 0; });
}

} // namespace prenso::fonts
