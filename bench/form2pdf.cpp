// form2pdf FORM.txt OUT.pdf: a form printed to a PDF file by the whole job
// (reading the form into the line table, the layout decisions, pagination)
// with the PDF filter chosen in the printer's place. For timing against other
// text-to-PDF converters, and for looking at a form's pages without a printer.
#include "app/Principal.h"
#include "platform/graphics/fontconfiguration.h"
#include "platform/system/errors.h"
#include "report/filters/RLFilters.h"
#include "report/filters/pdf/RLPDFFilter.h"
#include "report/pagination/RLReport.h"

#include <QApplication>

#include <cstdio>

using namespace prenso;

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: form2pdf FORM.txt OUT.pdf\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program starts: the font configuration is read while the
    // toolkit starts.
    fonts::FontConfigurationReader fontConfiguration(false);
    QApplication app(argc, argv);

    TfrmPrincipal form(TfrmPrincipal::NoCreate{}, QStringList{QStringLiteral("form2pdf")});
    TRLPDFFilter pdf;
    pdf.SetFileName(QString::fromLocal8Bit(argv[2]));
    SetSelectedFilter(&pdf);
    for (TRLReport *report : {form.rlrRetrato, form.rlrPaisagem})
        report->SetShowProgress(false);
    form.sPbArquivo = QString::fromLocal8Bit(argv[1]);
    form.sPbOrientacao = QStringLiteral("RETRATO");
    // Nobody answers a print dialog here: the job runs as /DLG=NAO runs it.
    form.sPbDialogo = QStringLiteral("NAO");
    int status = 0;
    try {
        form.ExecutaImpressao();
    } catch (const Exception &e) {
        std::fprintf(stderr, "form2pdf: %s\n", e.message().toLocal8Bit().constData());
        status = 1;
    } catch (const SilentAbort &) {
        status = 1;
    }
    fontConfiguration.wait();
    return status;
}
