// Every test program runs inside a QApplication on the offscreen platform, so
// that fonts, painting and windows behave as they do for the user. Each program
// gets a temporary folder of its own, so that tests can prove that nothing is
// left behind without seeing other programs' files.
#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>
#include <cstdlib>
#include <sys/stat.h>
#include <string>

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
    int rc;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    if (tmp)
        QDir(QString::fromLocal8Bit(tmp)).removeRecursively();
    return rc;
}
