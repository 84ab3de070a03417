// Prenso: prints the plain-text forms of the business system.
#include "app/Principal.h"
#include "platform/files.h"
#include "report/RLConsts.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The engine's texts follow the user's language as it is now, before any
    // report or engine window exists.
    prenso::InitLocaleStrings();
    int rc = 0;
    {
        prenso::TfrmPrincipal form(QCoreApplication::arguments());
        form.show();
        if (!form.closing())
            rc = app.exec();
    }
    prenso::files::deleteRegisteredTempFiles();
    return rc;
}
