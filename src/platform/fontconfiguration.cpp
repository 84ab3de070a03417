#include "platform/fontconfiguration.h"

#include <fontconfig/fontconfig.h>

namespace prenso::fonts {

FontConfigurationReader::FontConfigurationReader()
    : m_thread([] { FcInit(); })
{
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

} // namespace prenso::fonts
