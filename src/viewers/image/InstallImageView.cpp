#include "viewers/image/ImageView.h"

// Project
#include "app/MainWindowUnit.h"

TImageView* InstallImageView(TMainWindow& window) {
    auto* view = new TImageView(window.Page(QStringLiteral("IMAGE")));
    const TViewerLoad load = [view](const QString& path) { view->LoadPictureFile(path); };
    window.RegisterViewer(QStringLiteral(".bmp"), load);
    window.RegisterViewer(QStringLiteral(".jpg"), load);
    window.RegisterViewer(QStringLiteral(".jpeg"), load);
    return view;
}
