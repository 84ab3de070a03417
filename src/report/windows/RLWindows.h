#pragma once
// The engine's windows, made known to the engine: after InstallRLWindows the
// engine shows its progress window during long operations, the printer's
// setup dialog and the preview window (whose print and save buttons then
// ask with the print and save dialogs), through RLUserInterface().

namespace prenso {

void InstallRLWindows();

} // namespace prenso
