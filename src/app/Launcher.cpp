#include "app/Launcher.h"

#include "platform/system/codepage.h"

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
    if (s.Matricial && !s.Tabela.isEmpty())
        out << QStringLiteral("/TAB=") + s.Tabela;
    if (s.Visualiza)
        out << QStringLiteral("/VIS=") + quote + QStringLiteral("SIM") + quote;
    if (s.SemDialogo)
        out << QStringLiteral("/DLG=NAO");
    return out;
}

// The folder without a separator at its end, so that the form's name joins
// it with exactly one; the root stays itself.
QString folderPrefix(QString folder, QChar separator)
{
    while (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(u'\\')))
        folder.chop(1);
    return folder == QString(separator) ? folder : folder + separator;
}

} // namespace

bool IsBatchFileName(const QString &path)
{
    return path.endsWith(QLatin1String(".bat"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".cmd"), Qt::CaseInsensitive);
}

QString LinhaLote(const TLauncherSettings &settings)
{
    QString line = QStringLiteral("Prenso /ARQ=%1 ") + switches(settings, QStringLiteral("\"")).join(u' ');
    // %~n1 is the name of the batch file's first argument without folder
    // and extension.
    if (!settings.PastaPdf.isEmpty())
        line += QStringLiteral(" /PDF=\"") + folderPrefix(settings.PastaPdf, u'\\') + QStringLiteral("%~n1.pdf\"");
    return line;
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
    QString script = QStringLiteral("#!/bin/sh\n");
    if (!settings.PastaPdf.isEmpty()) {
        // The form's file name without its folder and its last extension;
        // the folder is quoted like every other word, the name is the
        // shell's own expansion and stays one word in double quotes.
        script += QStringLiteral("nome=${1##*/}\n");
        words << ShellQuoted(QStringLiteral("/PDF=") + folderPrefix(settings.PastaPdf, u'/')) +
                     QStringLiteral("\"${nome%.*}.pdf\"");
    }
    return (script + words.join(u' ') + u'\n').toStdString();
}

} // namespace prenso
