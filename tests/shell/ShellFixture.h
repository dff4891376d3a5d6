#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStringList>

#include <memory>

#include "app/MainWindowUnit.h"
#include "base/Error.h"
#include "support/QtTestSupport.h"

/** A main window with recording stand-ins for the viewers. */
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<TMainWindow>();
        window->FormCreate();
        window->OnShow = nullptr;  // no command line: tests open what they need
        for (const char* ext : {".txt", ".htm", ".html", ".bmp", ".jpg", ".jpeg", ".gif"})
            window->RegisterViewer(QString::fromLatin1(ext), [this](const QString& path) {
                if (failing.contains(path))
                    throw EError(("Cannot open file " + path).toStdString());
                loads.append(path);
            });
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
