// Every test program runs inside a QApplication on the offscreen platform, so
// that fonts, painting and windows behave as they do for the user. Each program
// gets a temporary folder of its own, so that tests can prove that nothing is
// left behind without seeing other programs' files.
//
// A test program may run a service for the whole run (the integration tests'
// own print server): it starts before the application object and before any
// printing call, since the printing library reads which server to talk to
// only once.
#include "platform/system/session.h"
#include "support/test_support.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

// Each test runs in a session of its own, as a run of the program does: the
// printer, the filters, the windows' hooks and the texts start afresh.
class SessionPerTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override { m_session = std::make_unique<prenso::Session>(); }
    void OnTestEnd(const ::testing::TestInfo &) override { m_session.reset(); }
    std::unique_ptr<prenso::Session> m_session;
};

bool onlyListingTests(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("PRENSO_DIALOGS", "auto", 0);
    std::string tmpl = "/tmp/prenso-tmp-XXXXXX";
    const char *tmp = ::mkdtemp(tmpl.data());
    if (tmp) {
        // Readable by others, so that a test may run the program as another user.
        ::chmod(tmp, 0755);
        ::setenv("TMPDIR", tmp, 1);
    }
    // The faces the program remembers between runs go to a cache of the
    // test program's own, never the user's, and are forgotten at its end.
    std::string cacheTmpl = "/tmp/prenso-cache-XXXXXX";
    const char *cache = ::mkdtemp(cacheTmpl.data());
    if (cache)
        ::setenv("XDG_CACHE_HOME", cache, 1);
    const prenso::test::RunWideService service = prenso::test::runWideService();
    const bool serviceRuns = service.start && !onlyListingTests(argc, argv);
    if (serviceRuns)
        service.start();
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        ::testing::UnitTest::GetInstance()->listeners().Append(new SessionPerTest);
        result = RUN_ALL_TESTS();
    }
    if (serviceRuns && service.stop)
        service.stop();
    if (tmp)
        QDir(QString::fromLocal8Bit(tmp)).removeRecursively();
    if (cache)
        QDir(QString::fromLocal8Bit(cache)).removeRecursively();
    return result;
}
