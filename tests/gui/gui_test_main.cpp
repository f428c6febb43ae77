#include <QApplication>

#include <gtest/gtest.h>

// Window tests need a QApplication; the offscreen platform lets them run without a display,
// also when the test list is read at build time.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
