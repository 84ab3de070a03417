#include "platform/system/locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace prenso::locale {
namespace {

// The first separator character of a strftime-like format such as "%d/%m/%Y".
QChar separatorOf(const char *format, QChar fallback)
{
    if (!format)
        return fallback;
    for (const char *p = format; *p; ++p) {
        if (*p == '%') {
            if (p[1] == 0)
                break;
            ++p;
            if (*p == 'E' || *p == 'O' || *p == '-' || *p == '_' || *p == '0')
                if (p[1])
                    ++p;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x80 && !std::isalnum(c) && c != ' ')
            return QChar(c);
    }
    return fallback;
}

QChar timeFormatSeparator(nl_item item, QChar fallback)
{
    locale_t loc = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        loc = ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        return fallback;
    const QChar result = separatorOf(::nl_langinfo_l(item, loc), fallback);
    ::freelocale(loc);
    return result;
}

} // namespace

QChar dateSeparator()
{
    static const QChar sep = timeFormatSeparator(D_FMT, QChar(u'/'));
    return sep;
}

QChar timeSeparator()
{
    static const QChar sep = timeFormatSeparator(T_FMT, QChar(u':'));
    return sep;
}

int primaryLanguageIdOf(const char *name)
{
    if (!name || !*name)
        return 0;
    struct Entry {
        const char *code;
        int id;
    };
    static const Entry table[] = {
        {"ar", 1},  {"bg", 2},  {"ca", 3},  {"zh", 4},  {"cs", 5},  {"da", 6},  {"de", 7},  {"el", 8},
        {"en", 9},  {"es", 10}, {"fi", 11}, {"fr", 12}, {"he", 13}, {"hu", 14}, {"is", 15}, {"it", 16},
        {"ja", 17}, {"ko", 18}, {"nl", 19}, {"nb", 20}, {"no", 20}, {"pl", 21}, {"pt", 22}, {"ro", 24},
        {"ru", 25}, {"hr", 26}, {"sk", 27}, {"sv", 29}, {"th", 30}, {"tr", 31},
    };
    // "C" and "POSIX" are the plain English of the system.
    if (std::strcmp(name, "C") == 0 || std::strncmp(name, "C.", 2) == 0 || std::strcmp(name, "POSIX") == 0)
        return 9;
    char code[4] = {0, 0, 0, 0};
    int n = 0;
    while (n < 3 && name[n] && name[n] != '_' && name[n] != '.' && name[n] != '@' && name[n] != '-') {
        code[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[n])));
        ++n;
    }
    for (const Entry &e : table)
        if (std::strcmp(e.code, code) == 0)
            return e.id;
    return 0;
}

int primaryLanguageId()
{
    for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(var);
        if (value && *value)
            return primaryLanguageIdOf(value);
    }
    return 9;
}

} // namespace prenso::locale
