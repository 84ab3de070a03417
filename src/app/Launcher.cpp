#include "app/Launcher.h"

#include "platform/codepage.h"

#include <QStringList>

namespace prenso {
namespace {

// The switches after /ARQ, as separate arguments with the quotes the batch
// line writes around the names (the command interpreter's splitting drops
// them). `quote` is what goes around a name.
QStringList switches(const TLauncherSettings &s, const QString &quote)
{
    QStringList out;
    out << QStringLiteral("/ORI=") + s.Orientacao;
    if (s.SalvaNome)
        out << QStringLiteral("/IMPS=") + quote + s.Impressora + quote;
    else
        out << QStringLiteral("/IMPI=") + QString::number(s.IndiceImpressora);
    if (!s.FonteSize.isEmpty()) {
        out << QStringLiteral("/FOS=") + s.FonteSize;
        out << QStringLiteral("/FON=") + quote + s.Fonte + quote;
    }
    if (s.Matricial)
        out << QStringLiteral("/MAT=") + quote + QStringLiteral("RLDraftFilter1") + quote;
    if (s.Visualiza)
        out << QStringLiteral("/VIS=") + quote + QStringLiteral("SIM") + quote;
    if (s.SemDialogo)
        out << QStringLiteral("/DLG=NAO");
    return out;
}

} // namespace

bool IsBatchFileName(const QString &path)
{
    return path.endsWith(QLatin1String(".bat"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".cmd"), Qt::CaseInsensitive);
}

QString LinhaLote(const TLauncherSettings &settings)
{
    return QStringLiteral("Prenso /ARQ=%1 ") + switches(settings, QStringLiteral("\"")).join(u' ');
}

QString ShellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', QLatin1String("'\\''"));
    return u'\'' + quoted + u'\'';
}

std::string ConteudoLancador(const QString &path, const TLauncherSettings &settings, const QString &program)
{
    if (IsBatchFileName(path))
        return cp1252::encode(LinhaLote(settings) + QStringLiteral("\r\n"));
    // The program reads its arguments as UTF-8, as every program here does.
    QStringList words{QStringLiteral("exec"), ShellQuoted(program), QStringLiteral("\"/ARQ=$1\"")};
    for (const QString &sw : switches(settings, QString()))
        words << ShellQuoted(sw);
    return (QStringLiteral("#!/bin/sh\n") + words.join(u' ') + u'\n').toStdString();
}

} // namespace prenso
