#pragma once
// What the preview window's print and save buttons do: ask with the print
// or save dialog, then run the selected filter over the chosen pages.

#include <QString>

namespace prenso {

class TRLGraphicStorage;
class TRLPreviewForm;

// The print dialog with the page count, one copy and the stored pages'
// orientation; on OK the selected filter (the report's default filter) or
// the spool filter prints the chosen pages, the typed page list and the
// printer's odd/even choice, and the window is marked as printed.
void PrintFromPreview(TRLPreviewForm &form);
// The save dialog with a name made of the pages' title; on OK the save
// filter of the chosen name's extension writes the chosen pages, or, with
// none, the pages are saved in the page storage's own format.
void SaveFromPreview(TRLPreviewForm &form);

// The name the save dialog suggests for `pages`: their title, trimmed and
// without control characters and the characters a file name cannot hold,
// made absolute; without a title, the selected save filter's file name.
QString SuggestedSaveFileName(const TRLGraphicStorage &pages);

} // namespace prenso
