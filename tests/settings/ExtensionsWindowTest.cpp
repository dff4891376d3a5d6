#include "SettingsFixture.h"

// ---- Qt ----
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

// ---- Project ----
#include "settings/ExtensionsWindowUnit.h"

namespace {

QStringList checkedTexts(const TExtensionsWindow& dialog) {
    QStringList texts;
    for (int i = 0; i < dialog.lstExtensions->count(); ++i)
        if (dialog.lstExtensions->item(i)->checkState() == Qt::Checked)
            texts << dialog.lstExtensions->item(i)->text();
    return texts;
}

/// Lets `act` work on the dialog once it is up.
void whenDialogIsUp(const std::function<void(TExtensionsWindow&)>& act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* dialog = qobject_cast<TExtensionsWindow*>(widget);
                dialog && dialog->isVisible())
                act(*dialog);
    });
}

/// Runs the dialog on a list, lets `act` work on it once it is up.
bool runDialog(QStringList& extensions, const std::function<void(TExtensionsWindow&)>& act) {
    whenDialogIsUp(act);
    return ExecuteExtensionsDialog(nullptr, extensions);
}

void uncheckTxtAndConfirm(TExtensionsWindow& dialog) {
    dialog.lstExtensions->item(2)->setCheckState(Qt::Unchecked);
    dialog.btnOk->click();
}

}  // namespace

TEST_F(SettingsTest, FilterDialogShowsDisabledEntriesUncheckedWithoutTheirMarker) {
    TExtensionsWindow dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Filter");
    EXPECT_EQ(dialog.btnAll->text(), "Select all");
    // The designed places at 96 dpi, in a box that cannot be resized.
    EXPECT_EQ(dialog.size(), QSize(334, 249));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.lstExtensions->geometry(), QRect(8, 8, 233, 233));
    EXPECT_EQ(dialog.btnOk->geometry(), QRect(256, 8, 75, 25));
    EXPECT_EQ(dialog.btnCancel->geometry(), QRect(256, 40, 75, 25));
    EXPECT_EQ(dialog.btnAll->geometry(), QRect(256, 88, 75, 25));
    dialog.SetExtensions({"html", "\\txt", "gif"});
    ASSERT_EQ(dialog.lstExtensions->count(), 3);
    EXPECT_EQ(dialog.lstExtensions->item(1)->text(), "txt");
    EXPECT_EQ(checkedTexts(dialog), (QStringList{"html", "gif"}));
    EXPECT_TRUE(dialog.btnOk->isEnabled());
    EXPECT_EQ(dialog.Extensions(), (QStringList{"html", "\\txt", "gif"}));
}

TEST_F(SettingsTest, FilterDialogEnablesOkExactlyWhileABoxIsChecked) {
    TExtensionsWindow dialog(nullptr);
    dialog.SetExtensions({"\\html", "\\txt"});
    EXPECT_TRUE(dialog.btnOk->isEnabled());  // whatever the boxes say at the start
    dialog.lstExtensions->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(dialog.btnOk->isEnabled());
    dialog.lstExtensions->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(dialog.btnOk->isEnabled());
    dialog.lstExtensions->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(dialog.btnOk->isEnabled());
    dialog.lstExtensions->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(dialog.btnOk->isEnabled());
    dialog.btnAll->click();
    EXPECT_EQ(checkedTexts(dialog), (QStringList{"html", "txt"}));
    EXPECT_TRUE(dialog.btnOk->isEnabled());
}

TEST_F(SettingsTest, DisablingTxtKeepsItsPlaceWithABackslashAndReEnablingRemovesIt) {
    QStringList extensions = TTestMainWindow::DefaultExtensions();
    EXPECT_TRUE(runDialog(extensions, [](TExtensionsWindow& dialog) {
        dialog.lstExtensions->item(2)->setCheckState(Qt::Unchecked);
        dialog.btnOk->click();
    }));
    EXPECT_EQ(extensions, (QStringList{"html", "htm", "\\txt", "gif", "bmp", "jpg", "jpeg"}));
    EXPECT_EQ(ExtensionsText(extensions), "html\r\nhtm\r\n\\txt\r\ngif\r\nbmp\r\njpg\r\njpeg\r\n");

    EXPECT_TRUE(runDialog(extensions, [](TExtensionsWindow& dialog) {
        dialog.lstExtensions->item(2)->setCheckState(Qt::Checked);
        dialog.btnOk->click();
    }));
    EXPECT_EQ(extensions, TTestMainWindow::DefaultExtensions());
}

TEST_F(SettingsTest, CancellingTheFilterDialogChangesNothing) {
    QStringList extensions{"html", "\\txt"};
    EXPECT_FALSE(runDialog(extensions, [](TExtensionsWindow& dialog) {
        dialog.btnAll->click();
        dialog.btnCancel->click();
    }));
    EXPECT_EQ(extensions, (QStringList{"html", "\\txt"}));
}

TEST_F(SettingsTest, ChangedFileTypesAreStoredWhenTheWindowGoesAndReadAtTheNextStart) {
    auto window = openWindow();
    window->extensions[2] = "\\txt";
    closeWindow(window);
    EXPECT_EQ(stored("Extensions"), "html\r\nhtm\r\n\\txt\r\ngif\r\nbmp\r\njpg\r\njpeg\r\n");
    window = openWindow();
    EXPECT_EQ(window->extensions[2], "\\txt");
    closeWindow(window);
}

TEST_F(SettingsTest, StoredFileTypesFollowTheLineRules) {
    const QList<std::pair<QByteArray, QStringList>> cases{
        {"html", {"html"}},     {"\"html\\r\\ngif\\nbmp\\rjpg\"", {"html", "gif", "bmp", "jpg"}},
        {"\"\"", {}},           {"\"a\\r\\n\\r\\nb\\r\\n\"", {"a", "", "b"}},
        {"gif\\0jpg", {"gif"}},
    };
    for (const auto& [text, list] : cases) {
        writeRaw("[TMainWindow]\nExtensions=" + text + "\n");
        TTestMainWindow window;
        EXPECT_EQ(window.extensions, list) << text.constData();
    }
}

TEST_F(SettingsTest, NonStringFileTypesReportAndKeepTheDefaults) {
    writeRaw("[TMainWindow]\nExtensions=@ByteArray(html)\n");
    TTestMainWindow window;
    EXPECT_EQ(messages_, QStringList{"Invalid data type for 'Extensions'"});
    EXPECT_EQ(window.extensions, TTestMainWindow::DefaultExtensions());
}

TEST_F(SettingsTest, ConfirmedFileTypesRescanTheCurrentFolderAndCancelDoesNot) {
    auto window = openWindow();
    window->currentFolder = "/data/docs/";
    whenDialogIsUp(uncheckTxtAndConfirm);
    OptionsExtensionsExecute(*window);
    EXPECT_EQ(window->extensions[2], "\\txt");
    EXPECT_EQ(window->ScannedFolders, QStringList{"/data/docs/"});

    whenDialogIsUp([](TExtensionsWindow& dialog) { dialog.btnOk->click(); });
    OptionsExtensionsExecute(*window);  // an unchanged list still rescans
    EXPECT_EQ(window->ScannedFolders.size(), 2);

    whenDialogIsUp([](TExtensionsWindow& dialog) { dialog.reject(); });
    OptionsExtensionsExecute(*window);
    EXPECT_EQ(window->ScannedFolders.size(), 2);
    closeWindow(window);
}

TEST_F(SettingsTest, ConfirmedFileTypesBeforeAnyScanAreKeptWithoutScanning) {
    auto window = openWindow();
    whenDialogIsUp(uncheckTxtAndConfirm);
    OptionsExtensionsExecute(*window);
    EXPECT_EQ(window->extensions[2], "\\txt");
    EXPECT_TRUE(window->ScannedFolders.isEmpty());
    closeWindow(window);
}
