#include "app/TextUtils.h"

#include <gtest/gtest.h>

using namespace prenso;

TEST(ExtraiCampo, Fields)
{
    const QChar eq(u'=');
    EXPECT_EQ(ExtraiCampo(QStringLiteral("/ARQ=C:\\A=B"), 2, eq), QStringLiteral("C:\\A"));
    EXPECT_EQ(ExtraiCampo(QStringLiteral("/ARQ=C:\\A=B"), 1, eq), QStringLiteral("/ARQ"));
    EXPECT_EQ(ExtraiCampo(QStringLiteral("/ARQ=C:\\A=B"), 3, eq), QStringLiteral("B"));
    EXPECT_EQ(ExtraiCampo(QStringLiteral("a==b"), 2, eq), QString());
    EXPECT_EQ(ExtraiCampo(QStringLiteral("a==b"), 3, eq), QStringLiteral("b"));
    EXPECT_EQ(ExtraiCampo(QStringLiteral("a=b"), 0, eq), QString());
    EXPECT_EQ(ExtraiCampo(QStringLiteral("a=b"), 4, eq), QString());
    EXPECT_EQ(ExtraiCampo(QStringLiteral("/IMPI="), 2, eq), QString());
}

TEST(DataHoraParaTexto, SeparatorsAndMidnight)
{
    const QDateTime t(QDate(2026, 12, 8), QTime(3, 15, 2));
    EXPECT_EQ(DataHoraParaTexto(t, u'/', u':'), QStringLiteral("12/08/2026 03:15:02"));
    EXPECT_EQ(DataHoraParaTexto(t, u'.', u'.'), QStringLiteral("12.08.2026 03.15.02"));
    EXPECT_EQ(DataHoraParaTexto(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)), u'/', u':'),
              QStringLiteral("12/08/2026"));
    // Milliseconds never show, but they keep the time part when the rest is zero.
    EXPECT_EQ(DataHoraParaTexto(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 0, 5)), u'/', u':'),
              QStringLiteral("01/02/2026 00:00:00"));
    EXPECT_EQ(DataHoraParaTexto(QDateTime(QDate(987, 1, 2), QTime(23, 59, 59)), u'-', u':'),
              QStringLiteral("01-02-987 23:59:59"));
}

TEST(TextCase, OnlyAsciiLettersChange)
{
    EXPECT_EQ(UpperAscii(QStringLiteral("epson lx ação")), QStringLiteral("EPSON LX AçãO"));
    EXPECT_EQ(TrimControl(QStringLiteral("\t\f HP 1 \r\n")), QStringLiteral("HP 1"));
    EXPECT_EQ(TrimControl(QStringLiteral("   ")), QString());
}
