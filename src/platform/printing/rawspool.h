#pragma once
// Bytes for a printer that understands them as they are: the local device
// files that queues name as their port (raw jobs on a queue are print-server
// jobs, platform/printing/printjob.h).

#include <QString>

namespace prenso::printing {

// What a queue's device URI says about where its bytes go: the local device
// file of a "file:", "parallel:" or "serial:" URI (options after "?" left
// out), or an empty text for every other URI, whose bytes go through the
// print server. `isFileUri` tells a "file:" URI, which may name a regular
// file to be created, from a port that must exist.
QString localDeviceFileOfUri(const QString &uri, bool *isFileUri = nullptr);

} // namespace prenso::printing
