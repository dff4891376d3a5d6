#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStringList>

#include <memory>

#include "app/CompositionRoot.h"
#include "base/Error.h"
#include "window/MainWindowUnit.h"
#include "support/QtTestSupport.h"

/** A main window with the program's viewer records, their loads recording stand-ins. */
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<TMainWindow>();
        std::vector<TViewerRecord> viewers = ProgramViewers();
        for (TViewerRecord& viewer : viewers)
            viewer.install = [this](TViewerHost&) -> TViewerLoad {
                return [this](const QString& path) {
                    if (failing.contains(path))
                        throw EError(("Cannot open file " + path).toStdString());
                    loads.append(path);
                };
            };
        InstallViewers(*window, viewers);
        window->FormCreate();
        window->OnShow = nullptr;  // no command line: tests open what they need
        TMainWindow::ShellOpen = [this](const QString& target) { shellRequests.append(target); };
    }
    void TearDown() override { window.reset(); }

    QString fileNameBox() const { return window->FileNameBox()->text(); }

    std::unique_ptr<TMainWindow> window;
    ScratchFolder folder;
    QStringList loads;
    QStringList failing;
    QStringList shellRequests;
    ErrorBoxRecorder errors;
};
