#include "app/MirevoApplication.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

// Widget tests run headless, with the program's own application object: the offscreen platform is
// chosen before the application exists, also when CTest lists the tests. Qt's own state (the file
// dialog's history) goes to a test folder, never into the user's configuration.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QStandardPaths::setTestModeEnabled(true);
    app::MirevoApplication app(argc, argv);
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
