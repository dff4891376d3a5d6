#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

#include "host/ViewerHost.h"
#include "host/ViewerRecord.h"

class QFileDialog;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTimer;
class QToolButton;
class TAction;
class TActionList;
class TFileList;
class TFileMenu;
class TFolderWatch;

/// What the open dialog lists.
struct TOpenFilter {
    QString description;
    QStringList patterns;  ///< "*.html", ...
};

/// The window's own pages, shown instead of a file.
enum class TMessagePage { NoFiles, InvalidDirectory };

/**
 * The one main window, host of the viewers. It owns the file list, the
 * file-type list, the index and folder of what is shown, the command table,
 * the display notebook with a page for each viewer and the "NOFILES" and
 * "INVALIDDIRECTORY" pages, and the bottom toolbar. It knows no viewer:
 * each registers a record (RegisterViewer), and ShowFile sends a file to the
 * viewer whose record lists its extension.
 */
class TMainWindow : public QWidget, public TViewerHost {
    Q_OBJECT
public:
    explicit TMainWindow(QWidget* parent = nullptr);
    ~TMainWindow() override;

    // ---- The host of the viewers -------------------------------------------
    /// Makes the record's page (before the two message pages) and commands,
    /// installs the viewer and routes its extensions to it. A later record
    /// that lists an extension again takes it over. A record built after the
    /// first paint is installed then, or when a file of it is shown first,
    /// or when the window closes, whichever comes first.
    void RegisterViewer(const TViewerRecord& record) override;
    /// A display page by name: a viewer's, "NOFILES" or "INVALIDDIRECTORY".
    QWidget* Page(const QString& name) const override;
    /// A command of the command table by its name (NavigationBack, OptionsFont, ...).
    TAction* Action(const QString& name) const override;
    QWidget* DialogOwner() override { return this; }
    void SetCaption(const QString& text) override;
    void ReportError(std::exception_ptr error) override;
    TActionList* ActionList() const { return actionList_; }

    /// The file types FormCreate starts from: those of fileTypeOrder as given,
    /// then the registered viewers' other extensions in the order they came.
    QStringList DefaultExtensions() const;
    void SetFileTypeOrder(const QStringList& fileTypes) { fileTypeOrder_ = fileTypes; }
    /// The stored properties of every registered viewer, in registration order.
    QStringList StoredProps() const;
    /// Tells a viewer's read-ahead, after each file shown, the files beside
    /// it in the list (the one in the direction of travel first).
    void AddReadAhead(TViewerReadAhead readAhead) override;
    /// Off: no viewer hears of the neighbours of the file shown (benchmarks
    /// compare against it).
    void SetReadAheadEnabled(bool enabled) { readAheadEnabled_ = enabled; }

    /// The window's own first-show step, run after FirstShowing(): FormShow.
    /// Tests that open what they need clear it.
    std::function<void()> OnShow;

    // ---- The window's operations -------------------------------------------
    /// FormCreate, then Created().
    void Create();
    void FormCreate();
    void FormShow();
    void FormDestroy();

    /// The first showing: keeps the initial bounds on the screen, then, once
    /// and before the window is mapped, emits FirstShowing() and runs OnShow.
    void RunFirstShow();
    /// The window's outer rectangle moved onto the available area of its
    /// screen, and shrunk only where it is larger than that area.
    static QRect KeepOnScreen(const QRect& frame, const QRect& available);
    /// Once (the destructor calls it too): emits Destroying(), then runs
    /// FormDestroy.
    void RunDestroy();
    /// Closes the window; before it was ever shown this only emits Closing()
    /// and marks the window closed.
    void Close();
    bool IsClosed() const { return closed_; }

    /// Sends the file to the viewer of its extension; a file no viewer
    /// lists only changes the file-name box.
    void ShowFile(const QString& name);
    /// One of the window's message pages, with the program's name as caption.
    void ShowMessage(TMessagePage page);
    /// A page by name (a viewer's or a message page) with no file on it.
    void ShowPage(const QString& pageName);
    void OpenPath(const QString& path);
    void ScanFolder(const QString& folder);
    void ShowIndex(int index);
    void ShowPrevious();
    void ShowNext();
    bool ChooseFile();
    void PopupFileMenu();

    /// Full screen: the page fills the screen, the toolbars hidden; off, the
    /// window comes back as it was (F11 toggles, Escape leaves).
    void SetFullScreen(bool on);

    /// The open dialog's filter for the enabled file types.
    /// The open dialog's one filter: "All supported files(*.html; *.txt)"
    /// and its patterns, the browsed types.
    TOpenFilter OpenDialogFilter() const;

    // ---- State --------------------------------------------------------------
    const QStringList& Files() const;
    QStringList& Extensions() { return extensions_; }
    int CurrentIndex() const { return currentIndex_; }
    QString CurrentFolder() const { return currentFolder_; }
    QString ActivePageName() const;
    /// The file-name box (built now if the window has not painted yet).
    QLineEdit* FileNameBox();
    TFileMenu* FileMenu() const { return pmFiles; }
    QFileDialog* OpenDialog() const { return sdOpenFile; }
    QToolButton* Button(const QString& name) const;

    /// The first command-line argument that FormShow opens.
    void SetCommandLineArgument(const QString& argument) { commandLineArgument_ = argument; }

    /// Builds pmFiles from files_ (done lazily, when the menu is first needed).
    void BuildFileMenu();

    /// Follows the folder and the file shown: what arrives, leaves or is
    /// renamed is listed anew, and the file shown is shown again once a
    /// change to it has settled.
    TFolderWatch* FolderWatch() const { return watch_; }
    /// Lists the folder again, the file shown staying the file shown (the
    /// watch runs it after a burst of changes).
    void FollowFolder();
    /// Shows the file shown again from its viewer (the watch runs it once a
    /// change to the file has settled).
    void ReloadShown();

    /// Hands a path or address to the desktop (the shell's "open" verb).
    /// Tests replace it; the default never blocks the window.
    static std::function<void(const QString&)> ShellOpen;

signals:
    // What the settings store follows, in this order in a run. Connected
    // slots run in the order they were connected.
    /// After FormCreate (Create).
    void Created();
    /// At the first showing, before OnShow and before the window is mapped.
    void FirstShowing();
    /// A viewer built after the first paint has been installed.
    void ViewerInstalled(const TViewerRecord& record);
    /// The window closes; pages still to be built have been built.
    void Closing();
    /// The window is being destroyed, before FormDestroy.
    void Destroying();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TRegisteredViewer {
        TViewerRecord record;
        TViewerLoad load;
        bool installed = false;
    };
    /// The index of the viewer that shows the extension, or -1.
    /// The viewer that shows path, -1 when none does.
    int viewerFor(const QString& path) const;
    bool messageShown(TMessagePage page) const;
    void installViewer(std::size_t index);
    void installPendingViewers();
    void buildFileNameBox();
    void buildMessages();
    void finishAfterFirstPaint();
    void setFileName(const QString& name);
    void addPage(const QString& name);
    void buildLayout();
    void buildCommands();
    void activatePage(const QString& name);
    /// Rebuilds the file list and menu for a folder, showing nothing.
    void listFolder(const QString& folder);
    void keepOnScreen();
    /// Once the window system has framed the window: keeps the frame on the
    /// screen if the guess made before it was known fell short.
    void keepFrameOnScreen();
    /// Tells the read-ahead the files beside the current place in the list.
    void announceNeighbours();
    /// A key of a picture page that steps through the files; true when used.
    bool stepKey(const QKeyEvent& key);
    void showToolbars(const TViewerRecord& record, bool visible);
    void FileExecute();
    void FileExecuteFolder();

    // What is browsed: the folder's files, the file types, and the index and
    // folder of the file on display.
    TFileList* files_ = nullptr;
    QStringList extensions_;
    int currentIndex_ = 0;
    QString currentFolder_;

    TActionList* actionList_ = nullptr;
    QStackedWidget* nbDisplay = nullptr;
    QWidget* panToolbar = nullptr;
    QLineEdit* txtFileName = nullptr;
    QString fileName_;  // what the file-name box shows, also before it is built
    TFileMenu* pmFiles = nullptr;
    QFileDialog* sdOpenFile = nullptr;
    bool fileMenuBuilt_ = false;
    bool firstShowDone_ = false;
    bool frameCheckPending_ = false;  // first-run bounds, frame not known yet
    bool firstPaintSeen_ = false;
    bool focusChosen_ = false;  // a control took the focus other than by activation
    bool messagesBuilt_ = false;
    bool closed_ = false;
    bool destroyed_ = false;
    QString commandLineArgument_;
    std::vector<TRegisteredViewer> viewers_;
    QStringList fileTypeOrder_;
    QStringList keysFirstPages_;
    // A page was chosen: registering a page no longer brings the first one up.
    bool pageChosen_ = false;
    /// Each viewer's read-ahead, told only the neighbours that viewer shows.
    struct TViewerAhead {
        int viewer;  // -1: added outside an install, told every neighbour
        TViewerReadAhead readAhead;
    };
    QList<TViewerAhead> readAheads_;
    int installing_ = -1;  // the viewer whose install runs
    bool readAheadEnabled_ = true;
    bool backward_ = false;  // the last step went to the previous file
    TFolderWatch* watch_ = nullptr;
    // The file shown left the list: currentIndex_ is where it stood, so the
    // next file is at currentIndex_ and the previous one just before it.
    bool gap_ = false;
    bool folderChangedInMenu_ = false;  // a rebuild waits for the menu to close
    bool maximizedBeforeFullScreen_ = false;
    // Brings the commands' state up to date once the events being handled
    // are done; started where that state may have changed.
    QTimer* commandsUpdate_ = nullptr;
    // How often a change waiting for a dialog to close looks again.
    static constexpr int kAfterModalMs = 250;
};
