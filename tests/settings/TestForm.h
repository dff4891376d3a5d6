#pragma once

// ---- Qt ----
#include <QCloseEvent>
#include <QShowEvent>
#include <QString>
#include <QStringList>
#include <QWidget>

class TFormStorage;
class TGIFAnimator;
class TStillPictureControl;
class TMemo;

/**
 * A main window stand-in wired as the real one is: the store follows its
 * signals from construction, FormCreate names the company and reads
 * "Extensions", FormDestroy writes it back. The controls whose properties
 * are stored are the viewers' own, under their own names, so the store is
 * exercised on exactly what the settings file holds; the viewers around
 * them are left out.
 */
class TTestMainWindow : public QWidget {
    Q_OBJECT
public:
    TTestMainWindow();
    ~TTestMainWindow() override;

    void FormCreate();
    void FormDestroy();

    TFormStorage* FormStorage1 = nullptr;
    TStillPictureControl* imgImageDisplay = nullptr;
    TGIFAnimator* imgGifImageDisplay = nullptr;
    TMemo* txtText = nullptr;
    QStringList extensions;
    int ShowHandlerCalls = 0;

    /// The main window's eight display properties, as its viewers keep them.
    static QStringList StoredProps();
    static QStringList DefaultExtensions();

    // The seams of the file-type command.
    QStringList& Extensions() { return extensions; }
    QString CurrentFolder() const { return currentFolder; }
    void ScanFolder(const QString& folder) { ScannedFolders << folder; }
    QString currentFolder;
    QStringList ScannedFolders;

signals:
    void FirstShowing();
    void Closing();
    void Destroying();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool shown_ = false;
};
