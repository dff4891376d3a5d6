#include "SettingsFixture.h"

// ---- Qt ----
#include <QScreen>

// ---- System ----
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

namespace {

QString suffixOf(QWidget* window) {
    const QSize size = window->screen()->size();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

ino_t inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

TEST_F(SettingsTest, KeyPathNamesCompanyAndExecutable) {
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    EXPECT_EQ(SettingsKeyPath(), QStringLiteral("Software\\TarvelSoftware\\") + exe);
    EXPECT_EQ(settingsFile(),
              config_.path() + QStringLiteral("/TarvelSoftware/") + exe + QStringLiteral(".conf"));
    // A hand-made company name never leads out of the settings folder.
    CompanyKeyName = QStringLiteral("..");
    EXPECT_TRUE(settingsFile().startsWith(config_.path() + QStringLiteral("/_/")));
}

TEST_F(SettingsTest, FirstRunSavesEveryValueWithItsFirstText) {
    auto window = openWindow();
    EXPECT_EQ(window->ShowHandlerCalls, 1);
    EXPECT_EQ(window->extensions, TTestMainWindow::DefaultExtensions());
    EXPECT_EQ(window->pos(), QPoint(206, 162));
    const QString suffix = suffixOf(window.get());
    const QString ppi = QString::number(qRound(window->screen()->logicalDotsPerInch()));
    // No minimised position here; the maximised one is minus the frame's
    // left and bottom widths, pinned when the window was shown.
    const QRect frame = window->frameGeometry(), client = window->geometry();
    const QString minMax = QStringLiteral("-1,-1,%1,%2")
                               .arg(-(client.left() - frame.left()))
                               .arg(-(frame.bottom() - client.bottom()));
    closeWindow(window);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(QLatin1Char('\n')).toStdString();

    const QList<std::pair<QString, QString>> expected{
        {"FormVersion", "0"},
        {"Flags", "0"},
        {"ShowCmd", "1"},
        {"PixelsPerInch", ppi},
        {"MinMaxPos" + suffix, minMax},
        {"MinMaxPos", minMax},
        {"NormPos" + suffix, "206,162,902,642"},
        {"NormPos", "206,162,902,642"},
        {"Visible", "0"},
        {"imgImageDisplay_Align", "alNone"},
        {"imgImageDisplay_AutoSize", "True"},
        {"imgImageDisplay_Stretch", "False"},
        {"imgGifImageDisplay_Align", "alNone"},
        {"imgGifImageDisplay_AutoSize", "True"},
        {"imgGifImageDisplay_Stretch", "False"},
        {"txtText_ScrollBars", "ssVertical"},
        {"txtText_FontCharset", "1"},
        {"txtText_FontColor", "-2147483640"},
        {"txtText_FontHeight", "-11"},
        {"txtText_FontName", "MS Sans Serif"},
        {"txtText_FontPitch", "fpDefault"},
        {"txtText_FontSize", "8"},
        {"txtText_FontStyle", "[]"},
        {"Extensions", "html\r\nhtm\r\ntxt\r\ngif\r\nbmp\r\njpg\r\njpeg\r\n"},
    };
    QStringList names;
    for (const auto& [name, text] : expected) {
        EXPECT_EQ(stored(name), text) << name.toStdString();
        names << name;
    }
    names.sort();
    EXPECT_EQ(storedNames(), names);
}

TEST_F(SettingsTest, StoredVersionBelowZeroRestoresNothingButTheCloseSavesAll) {
    writeRaw(
        "[TMainWindow]\nFormVersion=-1\nNormPos=10,10,500,400\nShowCmd=3\n"
        "txtText_FontSize=20\n");
    auto window = openWindow();
    EXPECT_EQ(window->pos(), QPoint(206, 162));
    EXPECT_FALSE(window->isMaximized());
    EXPECT_EQ(window->txtText->Font()->Size(), 8);
    EXPECT_TRUE(window->FormStorage1->Recalled());
    closeWindow(window);
    EXPECT_EQ(stored("FormVersion"), "0");
    EXPECT_EQ(stored("NormPos"), "206,162,902,642");
    EXPECT_EQ(stored("txtText_FontSize"), "8");
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SettingsTest, NonStringVersionStopsTheRestoreAndOnlyExtensionsAreSaved) {
    const QByteArray original =
        "[TMainWindow]\nFormVersion=@Point(1 2)\nNormPos=10,10,500,400\ntxtText_FontSize=20\n";
    writeRaw(original);
    auto window = openWindow();
    EXPECT_EQ(messages_, QStringList{"Invalid data type for 'FormVersion'"});
    EXPECT_EQ(window->ShowHandlerCalls, 1);  // the window's own show still runs
    EXPECT_EQ(window->pos(), QPoint(206, 162));
    EXPECT_EQ(window->txtText->Font()->Size(), 8);
    EXPECT_FALSE(window->FormStorage1->Recalled());
    closeWindow(window);
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(storedNames(),
              (QStringList{"Extensions", "FormVersion", "NormPos", "txtText_FontSize"}));
    EXPECT_EQ(stored("NormPos"), "10,10,500,400");
    EXPECT_EQ(stored("txtText_FontSize"), "20");
}

TEST_F(SettingsTest, DestroyWithoutCloseSavesFromTheDestroyHookWithVisibleOne) {
    auto window = openWindow();
    window.reset();
    EXPECT_EQ(stored("Visible"), "1");
    EXPECT_EQ(stored("FormVersion"), "0");
    EXPECT_FALSE(stored("Extensions").isEmpty());
}

TEST_F(SettingsTest, CloseThenDestroySavesOnceWithVisibleZero) {
    auto window = openWindow();
    window->close();
    EXPECT_TRUE(window->FormStorage1->Persisted());
    window->txtText->Font()->SetSize(30);  // after the save: not stored again
    window.reset();
    EXPECT_EQ(stored("Visible"), "0");
    EXPECT_EQ(stored("txtText_FontSize"), "8");
}

TEST_F(SettingsTest, UnwritableLocationReportsAndTheWindowStillCloses) {
    // A file where the company folder should be: nothing can be created below it.
    QFile blocker(config_.path() + QStringLiteral("/TarvelSoftware"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto window = openWindow();
    EXPECT_TRUE(messages_.isEmpty());  // reading from a missing store gives defaults
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(messages_, QStringList{"Failed to create key TMainWindow."});
    window.reset();
    // The destroy hook tries once more, then the window writes "Extensions".
    EXPECT_EQ(messages_,
              (QStringList{"Failed to create key TMainWindow.", "Failed to create key TMainWindow.",
                           "Failed to create key TMainWindow."}));
}

TEST_F(SettingsTest, SettingsFileThatCannotBeReplacedReportsAndTheWindowStillCloses) {
    // A folder where the settings file should be: it reads as empty and
    // cannot be replaced, whatever the rights of the user.
    ASSERT_TRUE(QDir().mkpath(settingsFile()));
    auto window = openWindow();
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_TRUE(window->close());
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_FALSE(window->FormStorage1->Persisted());
    window.reset();
    EXPECT_EQ(messages_.size(), 3);
    for (const QString& message : messages_)
        EXPECT_TRUE(message.startsWith("Failed to ")) << message.toStdString();
}

TEST_F(SettingsTest, SaveReplacesTheFileInOnePiece) {
    auto window = openWindow();
    closeWindow(window);
    const QByteArray first = readRaw();
    // A reader that holds the old file open keeps seeing all of it: the new
    // file takes the old one's place by rename, it is never rewritten in place.
    QFile reader(settingsFile());
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    const ino_t before = inodeOf(settingsFile());
    window = openWindow();
    window->resize(500, 300);
    closeWindow(window);
    EXPECT_NE(inodeOf(settingsFile()), before);
    EXPECT_EQ(reader.readAll(), first);
    EXPECT_EQ(stored("NormPos"), "206,162,706,462");
    const QStringList leftovers =
        QDir(QFileInfo(settingsFile()).path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    EXPECT_EQ(leftovers, QStringList{QFileInfo(settingsFile()).fileName()});
}

TEST_F(SettingsTest, DamagedFileGivesDefaultsAndIsKeptAsideBeforeTheSave) {
    for (const QByteArray& damaged :
         {QByteArray("[TMainWindow]\nShowCmd=1\n[Other\nA=1\n"),
          QByteArray("[TMainWindow]\nshowcmd 3\nNormPos=10,10,500,400\n")}) {
        writeRaw(damaged);
        QFile::remove(settingsFile() + ".broken");
        auto window = openWindow();
        EXPECT_TRUE(window->isVisible());
        closeWindow(window);
        EXPECT_TRUE(messages_.isEmpty());
        QFile aside(settingsFile() + ".broken");
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly)) << damaged.constData();
        EXPECT_EQ(aside.readAll(), damaged);
        EXPECT_EQ(stored("FormVersion"), "0");
    }
}

TEST_F(SettingsTest, FileDamagedWhileTheWindowIsOpenReportsOnlyAFailedWrite) {
    for (const QByteArray& damaged :
         {QByteArray("[TMainWindow]\nShowCmd=1\n[Other\nA=1\n"),
          QByteArray("[TMainWindow]\nshowcmd 3\nNormPos=10,10,500,400\n")}) {
        writeRaw("[TMainWindow]\nShowCmd=1\n");
        auto window = openWindow();
        writeRaw(damaged);  // edited by hand while the viewer runs
        closeWindow(window);
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join("; ").toStdString();
        EXPECT_EQ(stored("txtText_FontStyle"), "[]");
        QFile aside(settingsFile() + ".broken");
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), damaged);
    }

    // The same, but nothing can be written (a file size limit of 0): the
    // read error met first must not hide the failed write.
    const QByteArray damaged("[TMainWindow]\nShowCmd=1\n[Other\nA=1\n");
    writeRaw("[TMainWindow]\nShowCmd=1\n");
    auto window = openWindow();
    writeRaw(damaged);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 0;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_TRUE(window->close());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith("Failed to set data for ")) << messages_[0].toStdString();
    EXPECT_EQ(readRaw(), damaged);
    window.reset();

    // A write that comes up short (a full disk) is one too, and the old file
    // stays in place rather than the cut new one.
    messages_.clear();
    QFile::remove(settingsFile() + ".broken");
    const QByteArray sound("[TMainWindow]\nShowCmd=1\n");
    writeRaw(sound);
    window = openWindow();
    small.rlim_cur = 200;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    EXPECT_TRUE(window->close());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith("Failed to set data for ")) << messages_[0].toStdString();
    EXPECT_EQ(readRaw(), sound);
    EXPECT_EQ(QDir(QFileInfo(settingsFile()).path()).entryList(QDir::Files),
              QStringList{QFileInfo(settingsFile()).fileName()});
    window.reset();
}

TEST_F(SettingsTest, SoundFileIsNotCopiedAside) {
    auto window = openWindow();
    closeWindow(window);
    window = openWindow();
    closeWindow(window);
    EXPECT_FALSE(QFile::exists(settingsFile() + ".broken"));
}
