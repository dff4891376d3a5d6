#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

#include "app/Viewer.h"

class QFileDialog;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QToolButton;
class TAction;
class TActionList;
class TFileList;
class TFileMenu;

/**
 * The one main window. It owns the file list, the file-type list, the index
 * and folder of what is shown, the command table, the display notebook with
 * its five named pages and the bottom toolbar. Viewers fill their pages and
 * register their load operation per extension (RegisterViewer); ShowFile
 * decides which page and viewer a file goes to.
 */
class TMainWindow : public QWidget {
    Q_OBJECT
public:
    explicit TMainWindow(QWidget* parent = nullptr);
    ~TMainWindow() override;

    // ---- Seams for viewers and components ----------------------------------
    /// The display page named "TEXT", "HTML", "IMAGE", "NOFILES" or "INVALIDDIRECTORY".
    QWidget* Page(const QString& name) const;
    /// A command of the command table by its name (NavigationBack, OptionsFont, ...).
    TAction* Action(const QString& name) const;
    TActionList* ActionList() const { return actionList_; }
    /// Registers the load operation for files of one extension, in lower case
    /// (".txt", ...); ShowFile matches extensions without regard to case.
    void RegisterViewer(const QString& extension, TViewerLoad load);

    /// Event hooks, each holding the current handler. A component that takes
    /// one over keeps the previous handler and calls it itself.
    std::function<void()> OnCreate;      ///< runs FormCreate
    std::function<void()> OnShow;        ///< runs FormShow
    std::function<bool()> OnCloseQuery;  ///< none by default: closing allowed
    std::function<void()> OnDestroy;     ///< runs FormDestroy

    // ---- The window's operations -------------------------------------------
    void FormCreate();
    void FormShow();
    void FormDestroy();

    /// The first showing: keeps the initial bounds on the screen, then runs
    /// the show hook once (the placement restore and FormShow), before the
    /// window is mapped.
    void RunFirstShow();
    /// The window's outer rectangle moved onto the available area of its
    /// screen, and shrunk only where it is larger than that area.
    static QRect KeepOnScreen(const QRect& frame, const QRect& available);
    /// Runs the destroy hook once (the destructor calls it too).
    void RunDestroy();
    /// Closes the window; before it was ever shown this only runs the close
    /// query and marks the window closed.
    void Close();
    bool IsClosed() const { return closed_; }

    void SetCaption(const QString& text);
    void ShowFile(const QString& name);
    void OpenPath(const QString& path);
    void ScanFolder(const QString& folder);
    void ShowIndex(int index);
    void ShowPrevious();
    void ShowNext();
    bool ChooseFile();
    void PopupFileMenu();

    /// The open dialog's filter for the enabled file types.
    QString OpenDialogFilter() const;

    // ---- State --------------------------------------------------------------
    const QStringList& Files() const;
    QStringList& Extensions() { return FExtensions; }
    int CurrentIndex() const { return FCurrentIndex; }
    QString CurrentFolder() const { return FCurrentFolder; }
    QString ActivePageName() const;
    QLineEdit* FileNameBox() const { return txtFileName; }
    TFileMenu* FileMenu() const { return pmFiles; }
    QFileDialog* OpenDialog() const { return sdOpenFile; }
    QToolButton* Button(const QString& name) const;

    /// The first command-line argument that FormShow opens.
    void SetCommandLineArgument(const QString& argument) { commandLineArgument_ = argument; }

    /// Builds pmFiles from FFiles (done lazily, when the menu is first needed).
    void BuildFileMenu();

    /// Hands a path or address to the desktop (the shell's "open" verb).
    /// Tests replace it; the default never blocks the window.
    static std::function<void(const QString&)> ShellOpen;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildCommands();
    void activatePage(const QString& name);
    /// Rebuilds the file list and menu for a folder, showing nothing.
    void listFolder(const QString& folder);
    void keepOnScreen();
    void FileExecute();
    void FileExecuteFolder();

    // What is browsed: the folder's files, the file types, and the index and
    // folder of the file on display.
    TFileList* FFiles = nullptr;
    QStringList FExtensions;
    int FCurrentIndex = 0;
    QString FCurrentFolder;

    TActionList* actionList_ = nullptr;
    QStackedWidget* nbDisplay = nullptr;
    QWidget* panToolbar = nullptr;
    QLineEdit* txtFileName = nullptr;
    TFileMenu* pmFiles = nullptr;
    QFileDialog* sdOpenFile = nullptr;
    bool fileMenuBuilt_ = false;
    bool firstShowDone_ = false;
    bool closed_ = false;
    bool destroyed_ = false;
    QString commandLineArgument_;
    QHash<QString, TViewerLoad> viewers_;
};
