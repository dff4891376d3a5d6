#pragma once

#include <QUrl>
#include <QWebEngineView>

#include <memory>
#include <vector>

#include "base/FileStamp.h"
#include "base/MemoryBudget.h"
#include "viewers/html/HtmlBrowser.h"

class QWebEngineLoadingInfo;
class QWebEngineProfile;
class TGuardRedirects;
class TWebPage;

/**
 * wbHTML: the web view of the HTML page. It runs in a private profile (off the
 * record: no disk cache, no stored history or cookies) that shows local files
 * through the page scheme under the local-file policy (LocalFilePolicy.h),
 * reports the title of each completed navigation of the page, reports a
 * failure only for the file it was asked to open, and hands keys that the
 * page did not take back to the window.
 */
class TWebBrowser : public QWebEngineView, public THtmlBrowser {
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget* parent);
    ~TWebBrowser() override;

    QWidget* View() const override { return const_cast<TWebBrowser*>(this); }
    void Navigate(const QString& path) override;
    bool CanGoBack() const override;
    void RunScript(const QString& script, std::function<void(const QVariant&)> done) override;
    void ReadAhead(const QStringList& paths) override;
    bool HoldsAhead(const QString& path) const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// A page read ahead: the file as it was when its load began.
    struct TAhead {
        QString path;
        TWebPage* page = nullptr;
        TFileStamp stamp;
        bool loaded = false;
        QString title;       // null until read
        TBudgetShare share;  // in ReadAheadPool()
    };
    /// What a page held ahead is taken to cost: its renderer's share for a
    /// 115 KB page measured about 28 MiB.
    static constexpr uint64_t kPageAheadBytes = uint64_t(32) << 20;

    void adopt(TWebPage* page);
    void readNextAhead();
    void dropAhead(std::size_t index);
    /// The page read ahead for path, loaded and unchanged on disk, or null
    /// (what is unusable is dropped).
    TWebPage* takeAhead(const QString& path, QString* title);
    void readAheadTitle(TWebPage* page);
    void reportTitle(const QString& title);

    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void openLinkTarget(const QUrl& target);
    void readTitle();
    void readLostTitle();
    void watchChild(QObject* child);

    QWebEngineProfile* profile_ = nullptr;
    int loadSerial_ = 0;
    bool forgetHistory_ = false;
    /// A completed page's title was dropped for a newer navigation.
    bool titleLost_ = false;
    /// The opened file's address until its load ends: only its failure is reported.
    QUrl opening_;
    std::shared_ptr<TGuardRedirects> redirects_;
    QStringList wantedAhead_;
    std::vector<TAhead> ahead_;
    bool shownLoading_ = false;
    int reportedSerial_ = -1;
    QString reportedTitle_;
};
