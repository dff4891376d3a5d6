#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStringList>

#include <memory>

#include "app/CompositionRoot.h"
#include "base/Error.h"
#include "support/QtTestSupport.h"
#include "window/MainWindowUnit.h"

/// The default file types as a new user finds them: the original seven, then
/// the picture types read through Qt, the common ones first.
inline QStringList ExpectDefaultFileTypes(const QStringList& types) {
    const QStringList leading = {"html", "htm",  "txt", "gif",  "bmp", "jpg",  "jpeg",
                                 "png",  "webp", "svg", "svgz", "tif", "tiff", "ico"};
    EXPECT_EQ(types.mid(0, leading.size()), leading);
    // The rest are the picture format list's other formats, once each.
    QStringList pictures;
    for (const TViewerRecord& viewer : ProgramViewers())
        if (viewer.page == "IMAGE")
            for (const QString& e : viewer.extensions)
                if (!leading.contains(e.mid(1)) && !pictures.contains(e.mid(1)))
                    pictures << e.mid(1);
    EXPECT_EQ(types.mid(leading.size()), pictures);
    return types;
}

/// The open dialog's pattern list of those types: "*.html; *.htm; ...".
inline QString Patterns(const QStringList& types) {
    QStringList patterns;
    for (const QString& t : types) patterns << "*." + t;
    return patterns.join("; ");
}

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
