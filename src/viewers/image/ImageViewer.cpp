#include "viewers/image/ImageViewer.h"

// Qt
#include <QFile>

// Project
#include "host/ViewerHost.h"
#include "viewers/image/ImageView.h"

TViewerRecord ImageViewer() {
    TViewerRecord record;
    record.page = QStringLiteral("IMAGE");
    record.extensions = {QStringLiteral(".bmp"), QStringLiteral(".jpg"), QStringLiteral(".jpeg")};
    record.storedProps = {QStringLiteral("imgImageDisplay.Align"),
                          QStringLiteral("imgImageDisplay.AutoSize"),
                          QStringLiteral("imgImageDisplay.Stretch")};
    record.stepKeys = true;
    record.pageKey = [](QWidget* page, int key) {
        TImageView* view = TImageView::OfPage(page);
        return view && view->ScrollKey(key);
    };
    record.toolbars = {QStringLiteral("panImageToolbar")};
    record.install = [](TViewerHost& host) -> TViewerLoad {
        auto* view = new TImageView(host.Page(QStringLiteral("IMAGE")));
        host.AddReadAhead([view](const QStringList& paths) { view->ReadAhead(paths); });
        return [view](const QString& path) { view->LoadPictureFile(path); };
    };
    record.readFirst = [](const QString& path) {
        TImageView::ReadAheadAtStart(QFile::encodeName(path).toStdString());
    };
    return record;
}

TImageView* InstallImageView(TViewerHost& host) {
    host.RegisterViewer(ImageViewer());
    return TImageView::OfPage(host.Page(QStringLiteral("IMAGE")));
}
