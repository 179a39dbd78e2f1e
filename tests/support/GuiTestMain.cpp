#include <QApplication>

#include <gtest/gtest.h>

// The GUI tests never need a screen; test discovery runs this main too, so the platform is chosen here rather than
// in the CTest environment alone.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
