// The assembled program: the window with its settings store and viewers.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QToolButton>

#include <memory>

#include "app/Application.h"
#include "app/CompositionRoot.h"
#include "host/ToolButton.h"
#include "image/BmpBuilder.h"
#include "support/QtTestSupport.h"
#include "viewers/text/Font.h"
#include "viewers/text/Memo.h"
#include "window/MainWindowUnit.h"
#include "window/WindowFixture.h"

namespace {

QString settingsFile() {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/TarvelSoftware/") +
           QCoreApplication::applicationName() + QStringLiteral(".conf");
}

void ShowAnErrorBoxNobodyRecords() {
    TApplication::ShowError(QStringLiteral("Nobody closes this"));
}

void ShowTheWindowWithoutAFile() {
    std::unique_ptr<TMainWindow> window(CreateMainWindow());
    window->show();  // asks for a file
}

}  // namespace

// A test left in a modal loop fails at once instead of hanging the run.
TEST(TestWatchdog, ClosesAModalLeftOpenAndFailsTheTest) {
    ModalWatchdog::SetLimit(300);
    EXPECT_NONFATAL_FAILURE(ShowAnErrorBoxNobodyRecords(), "saying \"Nobody closes this.\"");
    EXPECT_NONFATAL_FAILURE(ShowTheWindowWithoutAFile(), "QFileDialog");
    ModalWatchdog::SetLimit(ModalWatchdog::kDefaultLimitMs);
}

TEST(AssembledWindow, FirstRunSavesPlacementPropertiesAndFileTypes) {
    QFile::remove(settingsFile());
    ScratchFolder folder;
    folder.Write("a.txt", "hello");
    ErrorBoxRecorder errors;
    {
        std::unique_ptr<TMainWindow> window(CreateMainWindow());
        window->SetCommandLineArgument(folder.Path());
        window->show();
        EXPECT_EQ(window->Files().size(), 1);
        window->close();
    }
    EXPECT_TRUE(errors.Boxes().empty()) << errors.Texts().join("; ").toStdString();
    QSettings stored(settingsFile(), QSettings::IniFormat);
    stored.beginGroup("TMainWindow");
    EXPECT_EQ(stored.value("FormVersion").toString(), "0");
    EXPECT_EQ(stored.value("ShowCmd").toString(), "1");
    EXPECT_EQ(stored.value("Visible").toString(), "0");
    const QString types = stored.value("Extensions").toString();
    ExpectDefaultFileTypes(types.split("\r\n", Qt::SkipEmptyParts));
    EXPECT_TRUE(types.startsWith("html\r\nhtm\r\ntxt\r\ngif\r\nbmp\r\njpg\r\njpeg\r\npng\r\n"));
    EXPECT_TRUE(types.endsWith("\r\n"));
    EXPECT_EQ(stored.value("ExtensionsOffered").toString(), types);
    // The viewers' records name the eight display properties the store keeps.
    for (const char* key :
         {"imgImageDisplay_Align", "imgImageDisplay_AutoSize", "imgImageDisplay_Stretch",
          "imgGifImageDisplay_Align", "imgGifImageDisplay_AutoSize", "imgGifImageDisplay_Stretch",
          "txtText_ScrollBars", "txtText_FontSize"})
        EXPECT_TRUE(stored.contains(QLatin1String(key))) << key;
}

TEST(AssembledWindow, StoredFileTypesAreUsedForTheScanAndTheFilter) {
    QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
    {
        QSettings stored(settingsFile(), QSettings::IniFormat);
        stored.setValue("TMainWindow/Extensions", "html\r\n\\txt\r\ngif");
        // Every type already offered: the list is used as it stands.
        QStringList offered = ProgramFileTypes();
        for (const TViewerRecord& viewer : ProgramViewers())
            for (const QString& e : viewer.extensions)
                if (!offered.contains(e.mid(1))) offered << e.mid(1);
        stored.setValue("TMainWindow/ExtensionsOffered", offered.join("\r\n") + "\r\n");
    }
    ScratchFolder folder;
    folder.Write("a.txt");
    folder.Write("b.gif");
    std::unique_ptr<TMainWindow> window(CreateMainWindow());
    EXPECT_EQ(window->Extensions(), QStringList({"html", "\\txt", "gif"}));
    window->OpenPath(folder.Path());
    EXPECT_EQ(window->Files(), QStringList({folder.Path() + "b.gif"}));
    EXPECT_EQ(window->OpenDialogFilter().description, "All supported files(*.html; *.gif)");
    EXPECT_EQ(window->OpenDialogFilter().patterns, QStringList({"*.html", "*.gif"}));
}

// Settings from before the picture types were shown: the seven old entries,
// in the person's order and state, get the new types appended once, enabled;
// a new type then disabled or deleted stays so after a restart.
TEST(AssembledWindow, StoredFileTypesGainTheNewTypesOnce) {
    QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
    {
        QSettings stored(settingsFile(), QSettings::IniFormat);
        stored.remove("TMainWindow/ExtensionsOffered");
        stored.setValue("TMainWindow/Extensions",
                        "jpg\r\nhtml\r\nhtm\r\n\\txt\r\ngif\r\nbmp\r\njpeg\r\n");
    }
    const QStringList old = {"jpg", "html", "htm", "\\txt", "gif", "bmp", "jpeg"};
    QStringList added;
    {
        std::unique_ptr<TMainWindow> window(CreateMainWindow());
        QStringList types = window->Extensions();
        EXPECT_EQ(types.mid(0, 7), old);
        added = types.mid(7);
        EXPECT_EQ(added.mid(0, 7),
                  QStringList({"png", "webp", "svg", "svgz", "tif", "tiff", "ico"}));
        // As the dialog disables PNG; WebP deleted by hand.
        window->Extensions()[7] = "\\png";
        window->Extensions().removeAt(8);
    }
    std::unique_ptr<TMainWindow> window(CreateMainWindow());
    QStringList expected = old + added;
    expected[7] = "\\png";
    expected.removeAt(8);
    EXPECT_EQ(window->Extensions(), expected);
    window.reset();
    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("TMainWindow/Extensions").toString(), expected.join("\r\n") + "\r\n");
    EXPECT_EQ(stored.value("TMainWindow/ExtensionsOffered").toString(),
              "html\r\nhtm\r\ntxt\r\ngif\r\nbmp\r\njpg\r\njpeg\r\n" + added.join("\r\n") + "\r\n");
}

// The window's first paint reads its glyphs as raw pixels: no image plugin
// (the SVG one brings Qt's SVG library) is loaded for them, and each button
// still has its disabled form.
TEST(AssembledWindow, FirstPaintLoadsNoImagePluginAndButtonsKeepTheirForms) {
    ScratchFolder folder;
    folder.Write("a.txt", "hello");
    std::unique_ptr<TMainWindow> window(CreateMainWindow());
    window->SetCommandLineArgument(folder.Path() + "a.txt");
    window->show();
    RunEventsFor(50);  // the first paint, and time for any plugin it would load
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    EXPECT_FALSE(loaded.contains("imageformats/"));
    EXPECT_FALSE(loaded.contains("libQt6Svg"));

    const auto form = [&](const char* button, QIcon::Mode mode) {
        auto* b = window->findChild<QToolButton*>(QLatin1String(button));
        return b ? b->icon()
                       .pixmap(QSize(16, 16), 1.0, mode)
                       .toImage()
                       .convertToFormat(QImage::Format_ARGB32)
                 : QImage();
    };
    const auto file = [](const char* name) {
        return ReadGlyph(QLatin1String(name)).convertToFormat(QImage::Format_ARGB32);
    };
    EXPECT_FALSE(file(":/glyphs/back.glyph").isNull());
    EXPECT_EQ(form("btnBack", QIcon::Normal), file(":/glyphs/back.glyph"));
    EXPECT_EQ(form("btnBack", QIcon::Disabled), file(":/glyphs/back-disabled.glyph"));
    EXPECT_EQ(form("btnOpen", QIcon::Normal), file(":/glyphs/open.glyph"));
    EXPECT_FALSE(form("btnOpen", QIcon::Disabled).isNull());
}

// A window that starts on a picture paints it before anything that shows text
// is built (that would load the fonts first); then the text page is built with
// its stored settings, and the file-name box shows the path and has the focus.
TEST(AssembledWindow, APictureIsPaintedBeforeTheTextControlsWhichThenGetTheirSettings) {
    QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
    {
        QSettings stored(settingsFile(), QSettings::IniFormat);
        stored.clear();
        stored.setValue("TMainWindow/FormVersion", "0");
        stored.setValue("TMainWindow/txtText_ScrollBars", "ssBoth");
        stored.setValue("TMainWindow/txtText_FontSize", "14");
    }
    BmpBuilder bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.pixels.assign(16, 0x80);
    const std::vector<uint8_t> bytes = bmp.Build();
    ScratchFolder folder;
    const QString picture = folder.Write(
        "a.bmp", QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    ErrorBoxRecorder errors;
    std::unique_ptr<TMainWindow> window(CreateMainWindow());
    window->SetCommandLineArgument(picture);
    window->show();
    EXPECT_EQ(window->ActivePageName(), "IMAGE");
    EXPECT_EQ(window->findChild<TMemo*>("txtText"), nullptr);
    EXPECT_EQ(window->findChild<QLineEdit*>("txtFileName"), nullptr);

    ASSERT_TRUE(WaitUntil([&] { return window->findChild<TMemo*>("txtText") != nullptr; }));
    auto* memo = window->findChild<TMemo*>("txtText");
    EXPECT_EQ(memo->ScrollBars(), TMemo::ssBoth);
    EXPECT_EQ(memo->Font()->Size(), 14);
    ASSERT_NE(window->findChild<QLineEdit*>("txtFileName"), nullptr);
    EXPECT_EQ(window->FileNameBox()->text(), picture);
    EXPECT_EQ(window->focusWidget(), window->FileNameBox());
    EXPECT_TRUE(errors.Boxes().empty()) << errors.Texts().join("; ").toStdString();
}
