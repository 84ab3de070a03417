#pragma once
// The engine's windows, made known to the engine: after InstallRLWindows the
// engine shows its progress window during long operations, the print dialog
// before a report prints and the printer's setup dialog, through
// RLUserInterface().

namespace prenso {

void InstallRLWindows();

} // namespace prenso
