#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QKeyEvent;
class QWidget;
class THtmlBrowser;
class TMainWindow;

/**
 * The HTML page's viewer as the shell sees it. It owns no web engine type:
 * the web view (wbHTML) comes from the browser plugin, which is loaded and
 * started only when the first HTML file is opened. Each completed navigation
 * puts its document's title into the caption; a later load failure shows the
 * error box.
 */
class THtmlView : public QObject {
    Q_OBJECT
public:
    using CaptionSink = std::function<void(const QString& title)>;
    /// Runs the window command bound to a key; true when one ran.
    using KeySink = std::function<bool(QKeyEvent* event)>;

    THtmlView(QWidget* page, CaptionSink setCaption, KeySink runShortcut);

    /// The load operation: opens a local HTML file; the caption follows on completion.
    /// Throws EError "Cannot open file %s" when it is not a readable regular file.
    void Open(const QString& path);

    /// The web view once created, else null.
    THtmlBrowser* Browser() const { return browser_; }

    /// Where the browser plugin is looked for, in order: beside the installed
    /// program (<prefix>/lib/tarvel-viewer), then in the build tree.
    static QStringList PluginCandidates();

    /// A failure text of the engine as the error box shows it: trailing
    /// blanks, line ends and full stops cut.
    static QString TrimDescription(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createBrowser();

    QWidget* page_;
    CaptionSink setCaption_;
    KeySink runShortcut_;
    THtmlBrowser* browser_ = nullptr;
};

/// Fills the main window's "HTML" page and registers the ".htm" and ".html" viewer.
void InstallHtmlView(TMainWindow& window);
