#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
class THtmlBrowser;

/**
 * The HTML page's viewer as the shell sees it. It owns no web engine type:
 * the web view (wbHTML) comes from the browser plugin, which is loaded and
 * started only when the first HTML file is opened. Each completed navigation
 * puts its document's title into the caption; when the opened file fails to
 * load after all, the error box shows it (a link that leads nowhere does
 * not). Keys go to the page first; those it leaves come back to the page
 * widget, where the window's shortcuts take them as usual.
 */
class THtmlView : public QObject {
    Q_OBJECT
public:
    using CaptionSink = std::function<void(const QString& title)>;

    THtmlView(QWidget* page, CaptionSink setCaption);

    /// The load operation: opens a local HTML file; the caption follows on completion.
    /// Throws EError "Cannot open file <path>" when it is not a readable regular file.
    void Open(const QString& path);

    /// The pages beside the file shown, the likeliest next first: read ahead
    /// once a page has been shown (the engine is never started for reading
    /// ahead).
    void ReadAhead(const QStringList& paths);

    /// The web view once created, else null.
    THtmlBrowser* Browser() const { return browser_; }

    /// Where the browser plugin is looked for, in order: beside the installed
    /// program (<prefix>/lib/tarvel-viewer), then in the build tree.
    static QStringList PluginCandidates();

    /// A failure text of the engine as the error box shows it: trailing
    /// blanks, line ends and full stops cut.
    static QString TrimDescription(const QString& text);

private:
    void createBrowser();

    QWidget* page_;
    CaptionSink setCaption_;
    THtmlBrowser* browser_ = nullptr;
    /// The path last opened, as given: the error box names it.
    QString opened_;
};
