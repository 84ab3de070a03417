#pragma once
// The engine's windows, made known to the engine: after InstallRLWindows the
// engine shows its progress window during long operations, the print dialog
// before a report prints, the printer's setup dialog and the preview window
// (whose print and save buttons ask with the print and save dialogs), through
// RLUserInterface().

namespace prenso {

void InstallRLWindows();

} // namespace prenso
