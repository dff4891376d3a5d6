#pragma once

#include <QString>
#include <QStringList>
#include <QtPlugin>

#include <functional>

class QVariant;
class QWidget;

/**
 * One web view as the shell sees it, without any web engine type: the plugin
 * that implements it is loaded only when the first HTML file is shown. The
 * page sees every key first; the engine sends the keys it did not take on to
 * the view's parent widget.
 */
class THtmlBrowser {
public:
    virtual ~THtmlBrowser() = default;

    /// The view widget (wbHTML); its parent owns it.
    virtual QWidget* View() const = 0;

    /// Opens a local file, without adding to the history or the cache.
    virtual void Navigate(const QString& path) = 0;

    /// Whether the page has a step back (links followed since the file was opened).
    virtual bool CanGoBack() const = 0;

    /// Runs script in the page's main world and hands its result (checks and tests).
    virtual void RunScript(const QString& script, std::function<void(const QVariant&)> done) = 0;

    /// The local pages likely to be shown next, the likeliest first: each is
    /// loaded into a hidden page once the page shown has loaded, so that
    /// Navigate can show it at once. Pages no longer named are dropped.
    virtual void ReadAhead(const QStringList& paths) = 0;
    /// Whether a page read ahead for path has loaded and waits to be shown (checks and tests).
    virtual bool HoldsAhead(const QString& path) const = 0;

    /// A navigation of the page completed: its document's title ("" when untitled).
    std::function<void(const QString& title)> OnNavigateComplete;
    /// The opened file could not be shown after all: the engine's description.
    /// Links and script that lead nowhere report nothing.
    std::function<void(const QString& message)> OnNavigateError;
};

/** The plugin's entry: makes web views. */
class THtmlBrowserFactory {
public:
    virtual ~THtmlBrowserFactory() = default;
    /// A new view as a child of parent; the engine starts with the first one.
    virtual THtmlBrowser* CreateBrowser(QWidget* parent) = 0;
};

#define THtmlBrowserFactory_iid "org.tarvelsoftware.viewer.HtmlBrowserFactory/1.0"
Q_DECLARE_INTERFACE(THtmlBrowserFactory, THtmlBrowserFactory_iid)
