#include "viewers/gif/GifViewer.h"

// Qt
#include <QFile>
#include <QWidget>

// Project
#include "base/Error.h"
#include "host/ViewerHost.h"
#include "viewers/gif/GifAnimator.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/ImageViewer.h"
#include "viewers/image/ScrollBox.h"

namespace {

// Where the control stands, and its size, until a GIF sizes it: a small frame
// in the scroll box's top-left corner, 8 pixels in like the still image.
constexpr int kLeft = 8;
constexpr int kTop = 8;
constexpr int kWidth = 121;
constexpr int kHeight = 97;

}  // namespace

TViewerRecord GifViewer() {
    TViewerRecord record;
    record.page = kImagePage;
    record.extensions = {QStringLiteral(".gif")};
    record.storedProps = {QStringLiteral("imgGifImageDisplay.Align"),
                          QStringLiteral("imgGifImageDisplay.AutoSize"),
                          QStringLiteral("imgGifImageDisplay.Stretch")};
    // The still picture's page: its keys and toolbar.
    record.stepKeys = true;
    record.toolbars = {QStringLiteral("panImageToolbar")};
    record.install = [](TViewerHost& host) -> TViewerLoad {
        TImageView* page = TImageView::OfPage(host.Page(kImagePage));
        if (!page) throw EError("The IMAGE page must be built before the GIF view joins it");

        auto* view = new TGIFAnimator(page->sbImage()->Client());
        view->setObjectName(QStringLiteral("imgGifImageDisplay"));
        view->setGeometry(kLeft, kTop, kWidth, kHeight);
        view->SetAnimate(true);
        page->AddImageControl(view);

        return [page, view](const QString& path) {
            view->LoadFromFile(QFile::encodeName(path).toStdString());
            page->ShowImageControl(view);
        };
    };
    return record;
}

TGIFAnimator* InstallGifView(TViewerHost& host) {
    host.RegisterViewer(GifViewer());
    return host.Page(kImagePage)->findChild<TGIFAnimator*>(QStringLiteral("imgGifImageDisplay"));
}
