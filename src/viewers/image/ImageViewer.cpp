#include "viewers/image/ImageViewer.h"

// Qt
#include <QFile>

// Project
#include "host/ViewerHost.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/QtPictureFormats.h"
#include "viewers/image/core/PictureFormats.h"

TViewerRecord ImageViewer() {
    TViewerRecord record;
    record.page = kImagePage;
    // Every extension of the picture format list, in its order.
    for (const TPictureFormat& format : ProgramPictureFormats().Formats())
        record.extensions << QStringLiteral(".") + QString::fromStdString(format.extension);
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
        auto* view = new TImageView(host.Page(kImagePage));
        host.AddReadAhead([view](const QStringList& paths) { view->ReadAhead(paths); });
        return [view](const QString& path) { view->LoadPictureFile(path); };
    };
    record.readFirst = [](const QString& path) {
        // Only for the own readers: Qt's image readers need the application
        // object, which does not exist yet. The others load once it does.
        const std::string name = QFile::encodeName(path).toStdString();
        if (TPictureFormats::Default().Find(TPictureFormats::ExtensionOf(name)))
            TImageView::ReadAheadAtStart(name);
    };
    return record;
}

TImageView* InstallImageView(TViewerHost& host) {
    host.RegisterViewer(ImageViewer());
    return TImageView::OfPage(host.Page(kImagePage));
}
