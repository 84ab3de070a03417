// form2pages FORM.txt OUT [RETRATO|PAISAGEM [SIZE [FONT]]]: the form laid out
// by the main form's report of that orientation (Courier New 6 by default)
// and its pages saved as a report file, byte for byte as pagination stored
// them. A change that must leave the pages as they were gives the same file
// before and after it (cmp), and callgrind on this program counts only the
// reading and the layout.
#include "app/Principal.h"
#include "platform/io/textfile.h"
#include "platform/system/errors.h"
#include "report/controls/RLLabel.h"
#include "report/pagination/RLReport.h"
#include "report/storage/RLGraphicStorage.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace prenso;

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 6) {
        std::fprintf(stderr, "usage: form2pages FORM.txt OUT [RETRATO|PAISAGEM [SIZE [FONT]]]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const bool landscape = argc > 3 && std::string(argv[3]) == "PAISAGEM";
    const int size = argc > 4 ? std::atoi(argv[4]) : 6;
    const QString font = argc > 5 ? QString::fromLocal8Bit(argv[5]) : QStringLiteral("Courier New");

    TfrmPrincipal form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("form2pages")});
    TRLReport *report = landscape ? form.rlrPaisagem : form.rlrRetrato;
    TRLDBText *text = landscape ? form.rldbtxtLinhaP : form.rldbtxtLinha;
    try {
        TLineTable &table = form.cdsLinhaRelatorio;
        table.CreateDataSet();
        TextFileReader reader;
        reader.open(QString::fromLocal8Bit(argv[1]));
        std::string line;
        int n = 0;
        while (reader.readLine(line))
            table.AppendLine(++n, line);
        text->SetFontName(font);
        text->SetFontSize(size);
        report->SetShowProgress(false);
        if (!report->Prepare())
            return 1;
        report->Pages().SaveToFile(QString::fromLocal8Bit(argv[2]));
    } catch (const Exception &e) {
        std::fprintf(stderr, "form2pages: %s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
