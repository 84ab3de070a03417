#include "platform/printing/rawspool.h"

#include <QUrl>

namespace prenso::printing {

QString localDeviceFileOfUri(const QString &uri, bool *isFileUri)
{
    if (isFileUri)
        *isFileUri = false;
    const qsizetype colon = uri.indexOf(u':');
    if (colon <= 0)
        return QString();
    const QString scheme = uri.left(colon).toLower();
    if (scheme != QLatin1String("file") && scheme != QLatin1String("parallel") && scheme != QLatin1String("serial"))
        return QString();
    const QUrl url(uri);
    if (!url.isValid())
        return QString();
    // file://localhost/path names this machine too; any other host does not.
    if (!url.host().isEmpty() && url.host() != QLatin1String("localhost"))
        return QString();
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(u'/'))
        return QString();
    if (isFileUri)
        *isFileUri = scheme == QLatin1String("file");
    return path;
}

} // namespace prenso::printing
