#pragma once
// The launcher file the setup screen writes: one command line that starts the
// program with the operator's settings and the form's path as its first
// argument, so that the business system prints a form by running the file.
//
// A name ending in .bat or .cmd (any letter case) gets the batch line that
// Windows installations have always received, byte for byte: Windows-1252,
// CR LF. Any other name gets a POSIX shell script that runs this program by
// its absolute path with the same switches, every one quoted for the shell,
// so that printer and font names reach the program as data, never as code.

#include <QString>

#include <string>

namespace prenso {

struct TLauncherSettings {
    QString Orientacao;       // the orientation item's text: "Retrato" or "Paisagem"
    QString Impressora;       // the printer item's text (its name)
    int IndiceImpressora = 0; // the printer item's index
    bool SalvaNome = false;   // name the printer (/IMPS) instead of giving its index (/IMPI)
    QString FonteSize;        // font size as shown; empty: neither size nor name is written
    QString Fonte;            // font name as shown
    bool Matricial = false;   // print through the dot-matrix filter
    QString Tabela;           // its character table (/TAB=); empty: the printer's own
    bool Visualiza = false;   // preview instead of printing
    bool SemDialogo = false;  // print without the print dialog (/DLG=NAO)
    // A folder: the launcher writes each form into it as FORM.pdf (/PDF=),
    // FORM being the form's file name without its extension, and prints
    // nothing. Empty: it prints.
    QString PastaPdf;
};

// True for a name that gets the Windows batch line (.bat or .cmd).
bool IsBatchFileName(const QString &path);

// The batch line, without its line end.
QString LinhaLote(const TLauncherSettings &settings);

// The complete file for `path`: the batch line for a batch name, otherwise a
// shell script that runs `program` (an absolute path).
std::string ConteudoLancador(const QString &path, const TLauncherSettings &settings, const QString &program);

// `text` as one word for a POSIX shell: in single quotes, a quote inside as '\''.
QString ShellQuoted(const QString &text);

} // namespace prenso
