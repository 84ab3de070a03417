#include "app/TextUtils.h"

#include "platform/system/locale.h"

namespace prenso {

QString ExtraiCampo(const QString &text, int n, QChar delimiter)
{
    QString result;
    int field = 1;
    for (QChar c : text) {
        if (c == delimiter)
            ++field;
        else if (field == n)
            result += c;
    }
    return result;
}

namespace {
QString two(int v)
{
    return v < 10 ? QStringLiteral("0") + QString::number(v) : QString::number(v);
}
} // namespace

QString DataHoraParaTexto(const QDateTime &moment, QChar dateSep, QChar timeSep)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    QString text = two(d.month()) + dateSep + two(d.day()) + dateSep + QString::number(d.year());
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0 && t.msec() == 0)
        return text;
    return text + u' ' + two(t.hour()) + timeSep + two(t.minute()) + timeSep + two(t.second());
}

QString DataHoraParaTexto(const QDateTime &moment)
{
    return DataHoraParaTexto(moment, locale::dateSeparator(), locale::timeSeparator());
}

QString UpperAscii(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return out;
}

QString TrimControl(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace prenso
