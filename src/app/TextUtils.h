#pragma once
// The application's text utilities.

#include <QDateTime>
#include <QString>

namespace prenso {

// Field n (from 1) of a text whose fields are separated by one delimiter
// character; consecutive delimiters make empty fields; n below 1 or past the
// last field gives an empty text.
QString ExtraiCampo(const QString &text, int n, QChar delimiter);

// A moment as text with the regional separators: month, day and year, and the
// time when it is not exactly midnight (12/08/2026 or 12/08/2026 03:15:02).
QString DataHoraParaTexto(const QDateTime &moment);
QString DataHoraParaTexto(const QDateTime &moment, QChar dateSeparator, QChar timeSeparator);

// Upper-casing of the application: only the ASCII letters a to z change.
QString UpperAscii(const QString &text);
// Trimming of the application: every leading and trailing character with a
// code of 32 or less goes.
QString TrimControl(const QString &text);

} // namespace prenso
