#include "viewers/image/ImageView.h"

// Qt
#include <QFile>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

// Project
#include "base/ErrorReport.h"
#include "host/ToolButton.h"
#include "viewers/image/Image.h"
#include "viewers/image/ScrollBox.h"
#include "viewers/image/Zoomable.h"

namespace {

constexpr int kToolbarHeight = 22;
// Where actual-size mode puts an image control in the scroll box.
constexpr int kActualSizeMargin = 8;

QToolButton* MakeButton(QWidget* parent, const QString& name, const QString& hint,
                        const QString& glyph, int left) {
    QToolButton* button = MakeToolButton(parent, name, left, 0, glyph);
    button->setToolTip(hint);
    return button;
}

}  // namespace

TImageView::TImageView(QWidget* page) : QObject(page) {
    setObjectName(QStringLiteral("ImageView"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    sbImage_ = new TScrollBox(page);
    layout->addWidget(sbImage_, 1);

    panImageToolbar_ = new QWidget(page);
    panImageToolbar_->setObjectName(QStringLiteral("panImageToolbar"));
    panImageToolbar_->setFixedHeight(kToolbarHeight);
    panImageToolbar_->setBackgroundRole(QPalette::Window);
    panImageToolbar_->setAutoFillBackground(true);
    layout->addWidget(panImageToolbar_);

    btnZooomFull_ =
        MakeButton(panImageToolbar_, QStringLiteral("btnZooomFull"), QStringLiteral("Actual size"),
                   QStringLiteral(":/image/actual-size.png"), 8);
    btnZoom_ = MakeButton(panImageToolbar_, QStringLiteral("btnZoom"), QStringLiteral("Stretch"),
                          QStringLiteral(":/image/stretch.png"), 32);
    connect(btnZooomFull_, &QToolButton::clicked, this,
            [this] { Guarded([this] { btnZooomFullClick(); }); });
    connect(btnZoom_, &QToolButton::clicked, this,
            [this] { Guarded([this] { btnZoomClick(); }); });

    imgImageDisplay_ = new TImage(sbImage_->Client());
    imgImageDisplay_->move(kActualSizeMargin, kActualSizeMargin);
    AddImageControl(imgImageDisplay_);
}

TImageView::~TImageView() = default;

TImageView* TImageView::OfPage(QWidget* page) {
    return page ? page->findChild<TImageView*>(QStringLiteral("ImageView"),
                                               Qt::FindDirectChildrenOnly)
                : nullptr;
}

void TImageView::LoadPictureFile(const QString& path) {
    imgImageDisplay_->Picture().LoadFromFile(QFile::encodeName(path).toStdString());
    imgImageDisplay_->PictureChanged();
    ShowImageControl(imgImageDisplay_);
}

void TImageView::btnZooomFullClick() {
    for (TZoomable* control : controls_) {
        control->SetAlign(TControlAlign::alNone);
        control->SetAutoSize(true);
        control->SetStretch(false);
        control->SetLeft(kActualSizeMargin);
        control->SetTop(kActualSizeMargin);
    }
}

void TImageView::btnZoomClick() {
    for (TZoomable* control : controls_) {
        control->SetAutoSize(false);
        control->SetAlign(TControlAlign::alClient);
        control->SetStretch(true);
    }
}

void TImageView::AddImageControl(TZoomable* control) {
    if (!controls_.contains(control)) controls_.append(control);
}

void TImageView::ShowImageControl(TZoomable* control) {
    for (TZoomable* other : controls_)
        if (other != control) other->Control()->hide();
    control->Control()->show();
}
