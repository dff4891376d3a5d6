#include "viewers/image/ImageView.h"

// Qt
#include <QFile>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

// Project
#include "base/ErrorReport.h"
#include "host/ToolButton.h"
#include "viewers/image/QtPictureFormats.h"
#include "viewers/image/ScrollBox.h"
#include "viewers/image/StillPictureControl.h"
#include "viewers/image/Zoomable.h"
#include "viewers/image/core/Graphic.h"
#include "viewers/image/core/PictureFormats.h"
#include "viewers/image/core/PictureReadAhead.h"

namespace {

constexpr int kToolbarHeight = 22;
// Where actual-size mode puts an image control in the scroll box.
constexpr int kActualSizeMargin = 8;
// Reading ahead waits for the window's paint, or this long at most (a
// window that is not painted at all, such as a minimised one).
constexpr int kReadAheadLatestMs = 500;

std::unique_ptr<TPictureReadAhead>& StartupReadAhead() {
    static std::unique_ptr<TPictureReadAhead> readAhead;
    return readAhead;
}

QToolButton* MakeButton(QWidget* parent, const QString& name, const QString& hint,
                        const QString& glyph) {
    QToolButton* button = MakeToolButton(parent, name, glyph);
    button->setToolTip(hint);
    return button;
}

}  // namespace

TImageView::TImageView(QWidget* page) : QObject(page), readAhead_(std::move(StartupReadAhead())) {
    setObjectName(QStringLiteral("ImageView"));
    if (readAhead_) {
        // The picture read at start is this view's to show; once the window
        // has come up without showing it (its type switched off, another
        // file chosen, nothing to show), it is given back.
        QTimer::singleShot(0, this, [this] {
            if (shownPath_.empty() && !readAheadPending_) readAhead_->SetWanted({});
        });
    } else {
        readAhead_ = std::make_unique<TPictureReadAhead>(ProgramPictureFormats());
    }
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
                   QStringLiteral(":/image/actual-size.glyph"));
    btnZoom_ = MakeButton(panImageToolbar_, QStringLiteral("btnZoom"), QStringLiteral("Stretch"),
                          QStringLiteral(":/image/stretch.glyph"));
    QHBoxLayout* row = MakeToolRow();
    row->setContentsMargins(8, 0, 0, 0);
    panImageToolbar_->setLayout(row);
    AddToolButton(row, btnZooomFull_);
    AddToolButton(row, btnZoom_);
    EndToolRow(row);
    connect(btnZooomFull_, &QToolButton::clicked, this,
            [this] { Guarded([this] { ShowActualSize(); }); });
    connect(btnZoom_, &QToolButton::clicked, this, [this] { Guarded([this] { StretchToFit(); }); });

    imgImageDisplay_ = new TStillPictureControl(sbImage_->Client());
    imgImageDisplay_->move(kActualSizeMargin, kActualSizeMargin);
    readAheadLatest_ = new QTimer(this);
    readAheadLatest_->setSingleShot(true);
    readAheadLatest_->setInterval(kReadAheadLatestMs);
    connect(readAheadLatest_, &QTimer::timeout, this, [this] { startReadAhead(); });
    imgImageDisplay_->OnPainted = [this] {
        if (readAheadPending_) QTimer::singleShot(0, this, [this] { startReadAhead(); });
    };
    AddImageControl(imgImageDisplay_);
}

void TImageView::ReadAheadAtStart(const std::string& path) {
    auto& readAhead = StartupReadAhead();
    if (!readAhead) readAhead = std::make_unique<TPictureReadAhead>(ProgramPictureFormats());
    readAhead->SetWanted({path});
}

void TImageView::ReadAhead(const QStringList& paths) {
    wanted_ = paths;
    readAheadPending_ = true;
    // After what the window shows now has been painted, so that no decode
    // competes with it; a page that shows no picture paints at once.
    readAheadLatest_->start();
    if (!imgImageDisplay_->isVisible()) QTimer::singleShot(0, this, [this] { startReadAhead(); });
}

void TImageView::startReadAhead() {
    if (!readAheadPending_) return;
    readAheadPending_ = false;
    readAheadLatest_->stop();
    std::vector<std::string> paths;
    for (const QString& path : wanted_) paths.push_back(QFile::encodeName(path).toStdString());
    readAhead_->SetWanted(paths);
}

TImageView::~TImageView() = default;

TImageView* TImageView::OfPage(QWidget* page) {
    return page ? page->findChild<TImageView*>(QStringLiteral("ImageView"),
                                               Qt::FindDirectChildrenOnly)
                : nullptr;
}

void TImageView::LoadPictureFile(const QString& path) {
    const std::string name = QFile::encodeName(path).toStdString();
    TPictureReadAhead::TStamp stamp;
    std::unique_ptr<TGraphic> graphic = readAhead_->Take(name, &stamp);
    if (!graphic) graphic = readAhead_->Load(name, &stamp);
    std::unique_ptr<TGraphic> old = imgImageDisplay_->SetGraphic(std::move(graphic));
    // Kept while it is a neighbour: stepping back shows it at once. The same
    // file read again has changed: what it showed before is of no more use.
    if (shownPath_ != name) readAhead_->GiveBack(shownPath_, std::move(old), shownStamp_);
    shownPath_ = name;
    shownStamp_ = stamp;
    ShowImageControl(imgImageDisplay_);
}

bool TImageView::ScrollKey(int key) {
    const bool across = key == Qt::Key_Left || key == Qt::Key_Right;
    if (!across && key != Qt::Key_Up && key != Qt::Key_Down) return false;
    QScrollBar* bar = across ? sbImage_->horizontalScrollBar() : sbImage_->verticalScrollBar();
    if (bar->maximum() <= bar->minimum()) return false;
    bar->triggerAction(key == Qt::Key_Left || key == Qt::Key_Up
                           ? QAbstractSlider::SliderSingleStepSub
                           : QAbstractSlider::SliderSingleStepAdd);
    return true;
}

void TImageView::ShowActualSize() {
    for (TZoomable* control : controls_) {
        control->SetAlign(TControlAlign::alNone);
        control->SetAutoSize(true);
        control->SetStretch(false);
        control->SetLeft(kActualSizeMargin);
        control->SetTop(kActualSizeMargin);
    }
}

void TImageView::StretchToFit() {
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
