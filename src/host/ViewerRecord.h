#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <iterator>

#include "host/Paths.h"

class QWidget;
class TViewerHost;

/**
 * The load operation of a viewer: shows the file at path on the viewer's
 * page. It raises EError on failure and then leaves its previous content;
 * after a successful load it has made itself the visible control of its page
 * where the page has several.
 */
using TViewerLoad = std::function<void(const QString& path)>;

/**
 * A viewer's read-ahead: told, after each file the window has shown, the
 * files beside it in the list that this viewer shows (the one in the
 * direction of travel first; none, and it drops what it holds), so that it
 * can prepare them.
 */
using TViewerReadAhead = std::function<void(const QStringList& paths)>;

/** A command a viewer adds to the window's command table. */
struct TViewerCommand {
    QString name;  ///< OptionsWordWrap, ...
    QString hint;  ///< the tool tip, and the menu text
    QKeySequence shortcut;
};

/**
 * Everything the window needs to know of one viewer. The host creates the
 * page (pages come in the order their first viewer registers), adds the
 * commands, then runs Install, which fills the page, binds the commands and
 * returns the load operation. ShowFile then sends every file whose extension
 * is listed here, without regard to ASCII case, to that load.
 */
struct TViewerRecord {
    /// The display page the viewer fills ("TEXT", "IMAGE", ...); viewers may share one.
    QString page;
    /// The extensions it shows, in lower case with their dot (".txt"). They are
    /// browsed by default unless the program orders the file types otherwise.
    QStringList extensions;
    /// True: the caption becomes the path once the load succeeded. False: the
    /// viewer sets the caption itself (a web page its title, when it has loaded).
    bool captionAfterLoad = true;
    /// True: controls on the page see keys before the window's commands do (a
    /// web page keeps Ctrl+Q and Ctrl+W inside its text fields).
    bool keysFirst = false;
    /// True: building the page measures text, which loads the fonts; the page
    /// is built once the window has painted (or when a file of this viewer is
    /// shown first), so that a first picture is painted without them.
    bool buildAfterFirstPaint = false;
    /// True: on this page the arrow keys, Page Up and Down, Space, Backspace,
    /// Home and End step through the files (a picture page), wherever the
    /// focus is in the window; an arrow key only when pageKey leaves it.
    bool stepKeys = false;
    /// Optional: the page's own use of a key before it steps; true when the
    /// page used it (an arrow scrolling a picture larger than the page).
    std::function<bool(QWidget* page, int key)> pageKey;
    /// Object names of the page's toolbars, hidden while the window fills
    /// the screen.
    QStringList toolbars;
    /// Commands the viewer adds to the command table before it is installed.
    QList<TViewerCommand> commands;
    /// Control properties kept in the settings ("txtText.ScrollBars", ...).
    QStringList storedProps;
    /// Builds the viewer into its page; returns its load operation.
    std::function<TViewerLoad(TViewerHost& host)> install;
    /// Optional: starts preparing the file the program was started on, one
    /// of this viewer's, before the application and its window exist (so it
    /// may use no more of Qt than QtCore); install takes the work over.
    std::function<void(const QString& path)> readFirst;
};

/**
 * Which of several viewers shows path: the last whose record lists its
 * DispatchExtension (host/Paths.h), so that a viewer registered later takes
 * an extension over; -1 when none does. `record(item)` gives an item's record.
 */
template <class Items, class RecordOf>
int ViewerIndexFor(const Items& items, const QString& path, RecordOf record) {
    const QString extension = pathrules::DispatchExtension(path);
    for (int i = int(std::size(items)) - 1; i >= 0; --i)
        if (record(items[std::size_t(i)]).extensions.contains(extension)) return i;
    return -1;
}
