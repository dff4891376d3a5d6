// Own
#include "viewers/gif/GifView.h"

#include "app/MainWindowUnit.h"
#include "base/Error.h"
#include "viewers/gif/GifAnimator.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/ScrollBox.h"

// Qt
#include <QFile>

namespace {

// Where the control stands, and its size, until a GIF sizes it: a small frame
// in the scroll box's top-left corner, 8 pixels in like the still image.
constexpr int kLeft = 8;
constexpr int kTop = 8;
constexpr int kWidth = 121;
constexpr int kHeight = 97;

}  // namespace

TGIFAnimator* InstallGifView(TMainWindow& window) {
    TImageView* page = TImageView::OfPage(window.Page(QStringLiteral("IMAGE")));
    if (!page) throw EError("The IMAGE page must be built before the GIF view joins it");

    auto* view = new TGIFAnimator(page->sbImage()->Client());
    view->setObjectName(QStringLiteral("imgGifImageDisplay"));
    view->setGeometry(kLeft, kTop, kWidth, kHeight);
    view->SetAnimate(true);
    page->AddImageControl(view);

    window.RegisterViewer(QStringLiteral(".gif"), [page, view](const QString& path) {
        view->LoadFromFile(QFile::encodeName(path).toStdString());
        page->ShowImageControl(view);
    });
    return view;
}
