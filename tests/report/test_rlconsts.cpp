#include "report/RLConsts.h"
#include "support/test_support.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace prenso;
using namespace prenso::test;

namespace {

const TRLLanguage allLanguages[] = {TRLLanguage::English, TRLLanguage::Portuguese, TRLLanguage::French,
                                    TRLLanguage::Spanish, TRLLanguage::Italian,    TRLLanguage::German};

const char *languageName(TRLLanguage language)
{
    switch (language) {
    case TRLLanguage::English: return "English";
    case TRLLanguage::Portuguese: return "Portuguese";
    case TRLLanguage::French: return "French";
    case TRLLanguage::Spanish: return "Spanish";
    case TRLLanguage::Italian: return "Italian";
    case TRLLanguage::German: return "German";
    }
    return "?";
}

// Sets the locale variables for one test and puts the old ones back, and
// leaves the active record unchosen on both ends.
class UserLocale {
public:
    UserLocale()
    {
        for (const char *var : vars) {
            const char *v = std::getenv(var);
            saved.push_back(v ? std::optional<std::string>(v) : std::nullopt);
        }
        SetActiveLocaleForTesting(std::nullopt);
    }
    ~UserLocale()
    {
        for (size_t i = 0; i < std::size(vars); ++i) {
            if (saved[i])
                ::setenv(vars[i], saved[i]->c_str(), 1);
            else
                ::unsetenv(vars[i]);
        }
        SetActiveLocaleForTesting(std::nullopt);
    }
    void set(const char *lcAll, const char *lang = nullptr)
    {
        ::setenv("LC_ALL", lcAll, 1);
        ::unsetenv("LC_MESSAGES");
        if (lang)
            ::setenv("LANG", lang, 1);
    }

private:
    static constexpr const char *vars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved;
};

} // namespace

TEST(EngineTexts, UserLanguageChoosesTheTable)
{
    UserLocale env;
    env.set("pt_BR.UTF-8");
    EXPECT_EQ(LocaleTableForUser().LS_PrintingInProgressStr, QStringLiteral("Imprimindo o relatório..."));
    EXPECT_EQ(LocaleTableForUser().LS_CancelStr, QStringLiteral("Cancelar"));

    // Portugal and Brazil share the language and so the table.
    env.set("pt_PT");
    EXPECT_EQ(LocaleTableForUser().LS_PageStr, QStringLiteral("Página"));

    env.set("de_DE.UTF-8");
    EXPECT_EQ(LocaleTableForUser().LS_PageStr, QStringLiteral("Seite"));
    env.set("es_MX.UTF-8");
    EXPECT_EQ(LocaleTableForUser().LS_PrintingInProgressStr, QStringLiteral("Impresión en marcha..."));
    env.set("fr_CA");
    EXPECT_EQ(LocaleTableForUser().LS_CancelStr, QStringLiteral("Annulé"));
    env.set("it_IT@euro");
    EXPECT_EQ(LocaleTableForUser().LS_PrintStr, QStringLiteral("Stampa"));

    // Languages without a table of their own read English.
    for (const char *other : {"nl_NL.UTF-8", "ja_JP.UTF-8", "ru_RU", "C", "xx_YY"}) {
        env.set(other);
        EXPECT_EQ(LocaleTableForUser().LS_PrintingInProgressStr, QStringLiteral("Printing in progress...")) << other;
    }
}

TEST(EngineTexts, LanguageNumbers)
{
    EXPECT_EQ(LanguageForId(9), TRLLanguage::English);
    EXPECT_EQ(LanguageForId(10), TRLLanguage::Spanish);
    EXPECT_EQ(LanguageForId(12), TRLLanguage::French);
    EXPECT_EQ(LanguageForId(16), TRLLanguage::Italian);
    EXPECT_EQ(LanguageForId(22), TRLLanguage::Portuguese);
    EXPECT_EQ(LanguageForId(7), TRLLanguage::German);
    for (int other : {0, -1, 8, 11, 17, 19, 21, 23, 1024})
        EXPECT_EQ(LanguageForId(other), TRLLanguage::English) << other;
}

TEST(EngineTexts, ActiveRecordIsChosenOnceOnFirstUse)
{
    UserLocale env;
    env.set("pt_BR.UTF-8");
    EXPECT_EQ(LS().LS_CancelStr, QStringLiteral("Cancelar"));

    // A later change of language reaches neither LS() nor a second start-up call.
    env.set("de_DE.UTF-8");
    InitLocaleStrings();
    EXPECT_EQ(LS().LS_CancelStr, QStringLiteral("Cancelar"));
    EXPECT_EQ(&LS(), &LocaleTable(TRLLanguage::Portuguese));
}

TEST(EngineTexts, StartUpChoiceWithoutLanguageVariables)
{
    UserLocale env;
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANG");
    InitLocaleStrings();
    EXPECT_EQ(LS().LS_PageStr, QStringLiteral("Page"));
}

TEST(EngineTexts, EveryTableFillsEveryKey)
{
    const auto &keys = LocaleStringKeys();
    // The key list follows the record field by field.
    TRLLocaleStrings probe;
    const QString *previous = nullptr;
    QSet<QString> names;
    for (const TRLLocaleStringKey &key : keys) {
        const QString *at = &(probe.*key.field);
        EXPECT_TRUE(previous == nullptr || at == previous + 1) << key.name;
        previous = at;
        names.insert(QString::fromLatin1(key.name));
    }
    EXPECT_EQ(names.size(), 90);
    EXPECT_STREQ(keys.front().name, "LS_PrintingInProgressStr");
    EXPECT_STREQ(keys.back().name, "LS_LastFooMsg");

    for (TRLLanguage language : allLanguages) {
        const TRLLocaleStrings &table = LocaleTable(language);
        for (const TRLLocaleStringKey &key : keys) {
            const QString &text = table.*key.field;
            if (std::string(key.name) == "LS_LastFooMsg")
                EXPECT_TRUE(text.isEmpty()) << languageName(language);
            else
                EXPECT_FALSE(text.trimmed().isEmpty()) << languageName(language) << " " << key.name;
            EXPECT_EQ(text, text.trimmed()) << languageName(language) << " " << key.name;
        }
    }
}

// Each language speaks for itself: any two tables differ in more than half
// of their texts, so that no language is quietly another one (or the English
// texts under another name).
TEST(EngineTexts, EveryLanguageHasTextsOfItsOwn)
{
    const auto &keys = LocaleStringKeys();
    for (TRLLanguage a : allLanguages) {
        for (TRLLanguage b : allLanguages) {
            if (a >= b)
                continue;
            int differ = 0;
            for (const TRLLocaleStringKey &key : keys)
                differ += LocaleTable(a).*key.field != LocaleTable(b).*key.field ? 1 : 0;
            EXPECT_GT(differ, static_cast<int>(keys.size()) / 2) << languageName(a) << " and " << languageName(b);
        }
    }
}

// The accented letters come through as letters: none is the pair of marks a
// wrong code page makes of it ("Ã©"), a replacement character or a question
// mark in the middle of a word. Portuguese, the users' language, has plenty.
TEST(EngineTexts, AccentedLettersSurviveInEveryTable)
{
    const QRegularExpression lostLetter(QStringLiteral("\\p{L}\\?\\p{L}"));
    for (TRLLanguage language : allLanguages) {
        int accented = 0;
        for (const TRLLocaleStringKey &key : LocaleStringKeys()) {
            const QString &text = LocaleTable(language).*key.field;
            for (QChar c : text) {
                if (c.unicode() < 0x80)
                    continue;
                EXPECT_TRUE(c.isLetter()) << languageName(language) << " " << key.name << ": " << text.toStdString();
                ++accented;
            }
            EXPECT_FALSE(text.contains(lostLetter))
                << languageName(language) << " " << key.name << ": " << text.toStdString();
        }
        if (language == TRLLanguage::Portuguese) {
            EXPECT_GT(accented, 20);
        }
    }
}

TEST(EngineTexts, FindDialogAcceleratorsAreDistinct)
{
    // The find window puts these six on one screen; two with the same
    // accelerator letter would make one of them unreachable by keyboard.
    for (TRLLanguage language : allLanguages) {
        const TRLLocaleStrings &t = LocaleTable(language);
        QSet<QChar> letters;
        for (const QString *text : {&t.LS_TextToFindStr, &t.LS_FindNextStr, &t.LS_WholeWordsStr, &t.LS_MatchCaseStr,
                                    &t.LS_DirectionUpStr, &t.LS_DirectionDownStr}) {
            const qsizetype amp = text->indexOf(u'&');
            ASSERT_GE(amp, 0) << languageName(language) << ": " << text->toStdString();
            EXPECT_EQ(text->indexOf(u'&', amp + 1), -1) << text->toStdString();
            ASSERT_LT(amp + 1, text->size());
            const QChar letter = text->at(amp + 1).toLower();
            EXPECT_TRUE(letter.isLetter()) << text->toStdString();
            EXPECT_FALSE(letters.contains(letter)) << languageName(language) << ": " << text->toStdString();
            letters.insert(letter);
        }
    }
}

TEST(EngineTexts, DefaultJobTitleTakesOneTextArgument)
{
    for (TRLLanguage language : allLanguages) {
        const QString &format = LocaleTable(language).LS_DefaultJobTitle;
        EXPECT_EQ(format.count(u'%'), 1) << languageName(language);
        EXPECT_EQ(format.count(QStringLiteral("\"%s\"")), 1) << languageName(language);
    }

    ScopedLanguage language(TRLLanguage::Portuguese);
    EXPECT_EQ(FormatDefaultJobTitle(QStringLiteral("rlrRetrato")), QStringLiteral("Relatório \"rlrRetrato\""));
    EXPECT_EQ(FormatDefaultJobTitle(QString()), QStringLiteral("Relatório \"\""));
    // The argument is text, never a format of its own.
    EXPECT_EQ(FormatDefaultJobTitle(QStringLiteral("100% %s %1")), QStringLiteral("Relatório \"100% %s %1\""));

    language.Set(TRLLanguage::English);
    EXPECT_EQ(FormatDefaultJobTitle(QStringLiteral("Vendas")), QStringLiteral("Report \"Vendas\""));
}
