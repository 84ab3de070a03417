#include "support/capture_filter.h"

#include "report/storage/RLGraphicStorage.h"

namespace prenso::test {

CapturedPage capturePage(TRLGraphicPage &page)
{
    CapturedPage out;
    out.width = page.Width();
    out.height = page.Height();
    out.orientation = page.Orientation();
    out.objects = page.ObjectCount();
    for (int i = 0; i < page.ObjectCount(); ++i)
        if (auto *t = dynamic_cast<TRLTextObject *>(page.Objects(i))) {
            const TRect &b = t->BoundsRect();
            out.texts.push_back(
                CapturedText{b.Left, b.Top, b.Right, b.Bottom, t->Origin().X, t->Origin().Y, t->DisplayText()});
        }
    return out;
}

void CaptureFilter::InternalDrawPage(TRLGraphicPage *page)
{
    pages.push_back(capturePage(*page));
    if (cancelAfter > 0 && static_cast<int>(pages.size()) >= cancelAfter)
        FCanceled = true;
}

} // namespace prenso::test
