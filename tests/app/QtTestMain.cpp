#include <QApplication>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

// Widget tests run headless: the offscreen platform is chosen before the application exists,
// also when CTest lists the tests.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
