// Every test program runs inside a QApplication on the offscreen platform, so
// that fonts, painting and windows behave as they do for the user.
#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("PRENSO_DIALOGS", "auto", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
