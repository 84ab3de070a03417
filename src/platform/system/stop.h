#pragma once
// How the program ends when it is told to stop: a caller's time-out
// (SIGTERM), Ctrl+C (SIGINT), the end of a session (SIGHUP). A business
// system that kills a job must find neither a file of the job left behind
// nor half a job waiting in the print queue, and it reads the conventional
// status 128 + the signal's number.

#include <QByteArray>

namespace prenso::stop {

// Takes the three signals away from every thread (they are then waited for
// by a thread of their own, which cancels the print jobs not yet handed
// over, removes the program's temporary files and ends the process), and
// makes a write past the file size limit an ordinary write error instead of
// the end of the process. Call first thing in main, before any thread starts.
void handleStopSignals();

// Held while a job is being created on the server and until it is
// remembered: a stop that comes meanwhile waits, so that the job it must
// cancel is known to it.
class JobCreation {
public:
    JobCreation();
    ~JobCreation();
    JobCreation(const JobCreation &) = delete;
    JobCreation &operator=(const JobCreation &) = delete;
};

// A print job on the server that is still being sent: cancelled if the
// program is told to stop before it is handed over. Returns a ticket for
// forgetJob.
int rememberJob(const QByteArray &queue, int jobId);
void forgetJob(int ticket);

} // namespace prenso::stop
