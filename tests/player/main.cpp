// The player tests need a QApplication for the video surface and the queued wakeups of libmpv.
#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char* argv[])
{
    // Tests run headless; ctest sets the platform, and so does this for the build's test discovery.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // libmpv needs "." as the decimal point for the whole life of the process.
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
