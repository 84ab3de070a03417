#include "report/RLConsts.h"
#include "support/test_support.h"

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
    EXPECT_EQ(names.size(), 89);
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

TEST(EngineTexts, PortugueseAndEnglishWordForWord)
{
    const TRLLocaleStrings &pt = LocaleTable(TRLLanguage::Portuguese);
    EXPECT_EQ(pt.LS_PrintingInProgressStr, QStringLiteral("Imprimindo o relatório..."));
    EXPECT_EQ(pt.LS_NoPathToPrinterStr, QStringLiteral("Caminho inválido para a impressora"));
    EXPECT_EQ(pt.LS_PreviewStr, QStringLiteral("Pré-visualização"));
    EXPECT_EQ(pt.LS_LastPageStr, QStringLiteral("Última página"));
    EXPECT_EQ(pt.LS_RangeToStr, QStringLiteral("até"));
    EXPECT_EQ(pt.LS_UseFilterStr, QStringLiteral("Usar Filtro"));
    EXPECT_EQ(pt.LS_MatchCaseStr, QStringLiteral("Diferenciar &maiúsculas de minúsculas"));
    EXPECT_EQ(pt.LS_OddPagesOnly, QStringLiteral("Somente Ímpares"));
    EXPECT_EQ(
        pt.LS_PageSelectionHint,
        QStringLiteral("Separe com ponto-e-vírgula os números ou intervalos de páginas a imprimir. Ex.: 1;3;5-12;4"));
    EXPECT_EQ(pt.LS_DefaultJobTitle, QStringLiteral("Relatório \"%s\""));

    const TRLLocaleStrings &en = LocaleTable(TRLLanguage::English);
    EXPECT_EQ(en.LS_FileNameStr, QStringLiteral("File Name"));
    EXPECT_EQ(en.LS_FindNextStr, QStringLiteral("Find &Next"));
    EXPECT_EQ(en.LS_SetupStr, QStringLiteral("Setup..."));
    EXPECT_EQ(en.LS_RangeFromStr, QStringLiteral("from"));
    EXPECT_EQ(en.LS_PageSelectionHint,
              QStringLiteral("Separate page numbers or page intervals with \";\". i.e.: 1;3;5-12;4"));
    EXPECT_EQ(en.LS_DefaultJobTitle, QStringLiteral("Report \"%s\""));
    // The two tables share the word "de" for different keys; each keeps its own.
    EXPECT_EQ(pt.LS_OfStr, QStringLiteral("de"));
    EXPECT_EQ(en.LS_OfStr, QStringLiteral("of"));
}

TEST(EngineTexts, OtherLanguagesKeepTheirKnownTexts)
{
    const TRLLocaleStrings &es = LocaleTable(TRLLanguage::Spanish);
    const TRLLocaleStrings &fr = LocaleTable(TRLLanguage::French);
    const TRLLocaleStrings &it = LocaleTable(TRLLanguage::Italian);
    const TRLLocaleStrings &de = LocaleTable(TRLLanguage::German);
    const TRLLocaleStrings &en = LocaleTable(TRLLanguage::English);

    EXPECT_EQ(it.LS_PrintingInProgressStr, QStringLiteral("Impression du rapport..."));
    EXPECT_EQ(it.LS_PrinterNotFoundStr, QStringLiteral("Imprimante non trouvée"));
    EXPECT_EQ(it.LS_CancelStr, QStringLiteral("Annulli"));
    EXPECT_EQ(de.LS_CancelStr, QStringLiteral("Sagen Sie ab"));
    EXPECT_EQ(de.LS_PrinterNotFoundStr, QStringLiteral("Drucker fand nicht"));
    EXPECT_EQ(fr.LS_AtStr, QStringLiteral("à"));
    EXPECT_EQ(es.LS_AllOddAndEven, QStringLiteral("Todas"));
    EXPECT_EQ(es.LS_DefaultJobTitle, QStringLiteral("Impresión \"%s\""));
    EXPECT_EQ(de.LS_DefaultJobTitle, QStringLiteral("Das Drucken \"%s\""));

    for (const TRLLocaleStrings *t : {&es, &fr, &it, &de})
        EXPECT_EQ(t->LS_SetupStr, QStringLiteral("Setup..."));
    for (const TRLLocaleStrings *t : {&fr, &it, &de}) {
        EXPECT_EQ(t->LS_OddPages, en.LS_OddPages);
        EXPECT_EQ(t->LS_EvenPagesOnly, en.LS_EvenPagesOnly);
        EXPECT_EQ(t->LS_AllOddAndEven, en.LS_AllOddAndEven);
        EXPECT_EQ(t->LS_PageSelectionHint, en.LS_PageSelectionHint);
    }
    // Spanish has page choices of its own.
    EXPECT_NE(es.LS_OddPages, en.LS_OddPages);
    EXPECT_NE(es.LS_PageSelectionHint, en.LS_PageSelectionHint);
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
