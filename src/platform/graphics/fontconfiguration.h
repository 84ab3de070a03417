#pragma once
// The system's font configuration, read ahead.
//
// Before the first font can be realised, the font configuration reads its
// files and the caches of every font folder: on a short print job that is
// the largest piece of work the program does (more than laying out and
// writing the pages), and none of it needs the toolkit. Read on a thread of
// its own from the start of the program, it is done by the time the toolkit
// has started and the print server has described the printer. The library
// installs its configuration once and atomically: a toolkit that asked
// before the thread is done would read one of its own (the later one is
// dropped, so the result would be the same, only later), which is why the
// program's first font waits for the thread instead
// (awaitFontConfiguration).
//
// A run that shows no window first reads the faces remembered from earlier
// runs (facememory.h). When they are there, its pages need nothing more and
// the configuration is not read at all; a font that was not remembered reads
// it when it is realised. A run that may show windows reads the
// configuration and realises its faces through the toolkit, as before.

#include <thread>

namespace prenso::fonts {

class FontConfigurationReader {
public:
    // `windowsExpected`: the run may show windows, whose fonts need the
    // configuration whatever the pages use.
    explicit FontConfigurationReader(bool windowsExpected);
    // Waits for the reading to end.
    ~FontConfigurationReader();
    FontConfigurationReader(const FontConfigurationReader &) = delete;
    FontConfigurationReader &operator=(const FontConfigurationReader &) = delete;

    // Waits for the reading to end; the toolkit frees the configuration when
    // it closes, so it must not end while the thread still works on it.
    void wait();

private:
    std::thread m_thread;
};

// Returns once no reader is at work (at once when none was started).
void awaitFontConfiguration();

} // namespace prenso::fonts
