// Runs a test binary inside a TApplication: headless, with a settings folder
// of its own, so that no test ever touches the user's real settings, and with
// a watchdog that fails a test left in a modal dialog.
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Application.h"
#include "support/QtTestSupport.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir config(QDir::tempPath() + QStringLiteral("/tarvel-test-XXXXXX"));
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    setenv("HOME", config.path().toLocal8Bit().constData(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ModalWatchdog);
    return RUN_ALL_TESTS();
}
