#pragma once
// What the user's regional settings tell the program.

#include <QChar>

namespace prenso::locale {

// The date and time separators of the user's LC_TIME settings ("/" and ":" when
// the settings give none).
QChar dateSeparator();
QChar timeSeparator();

// The primary language of the user's default locale, as the language numbers
// the engine's text tables are keyed by: 7 German, 9 English, 10 Spanish,
// 12 French, 16 Italian, 22 Portuguese; other languages give their own number
// or 0 when unknown. Read from LC_ALL, LC_MESSAGES or LANG, in that order.
int primaryLanguageId();

// The same from a locale name such as "pt_BR.UTF-8" (exposed for tests).
int primaryLanguageIdOf(const char *localeName);

} // namespace prenso::locale
