// The metrics the PDF writer embeds and names fonts with.

#include "report/filters/pdf/RLPDFFontMetrics.h"

#include <gtest/gtest.h>

using namespace prenso;

TEST(OutlineMetrics, ThousandthsOfAnEmForThePdfWriter)
{
    TRLMetaFontMetrics m;
    GetMetaFontMetrics(QStringLiteral("Courier New"), 0, m);
    EXPECT_TRUE(m.TrueType);
    EXPECT_EQ(m.BaseFont, "Courier New");
    EXPECT_EQ(m.FirstChar, 32);
    EXPECT_EQ(m.LastChar, 255);
    for (int c = m.FirstChar; c <= m.LastChar; ++c)
        EXPECT_EQ(m.Widths[static_cast<size_t>(c)], 600) << c;
    EXPECT_EQ(m.Widths[10], 0) << "codes outside the range are left alone";
    EXPECT_EQ(m.FontDescriptor.Flags, 32);
    EXPECT_EQ(m.FontDescriptor.ItalicAngle, 0);

    TRLMetaFontMetrics a;
    GetMetaFontMetrics(QStringLiteral("Arial"), fsBold | fsItalic, a);
    EXPECT_EQ(a.FontDescriptor.Styles, "BoldItalic");
    EXPECT_EQ(a.FontDescriptor.ItalicAngle, -120); // twelve degrees, in tenths
    EXPECT_EQ(a.FontDescriptor.Ascent, 905);
    EXPECT_EQ(a.FontDescriptor.Descent, 212);
    EXPECT_EQ(a.FontDescriptor.Leading, 905 + 212 - 1000);
    EXPECT_GT(a.FontDescriptor.CapHeight, 600);
    EXPECT_LT(a.FontDescriptor.XHeight, a.FontDescriptor.CapHeight);
    EXPECT_LT(a.FontDescriptor.FontBBox.Left, 0);
    EXPECT_GT(a.FontDescriptor.FontBBox.Top, a.FontDescriptor.Ascent - 1);
    EXPECT_LT(a.FontDescriptor.FontBBox.Bottom, 0);
    EXPECT_GT(a.FontDescriptor.MaxWidth, a.FontDescriptor.AvgWidth);
    EXPECT_EQ(a.Widths['A'], 722) << "bold A";
}
