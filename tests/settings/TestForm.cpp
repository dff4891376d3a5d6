#include "TestForm.h"

// ---- Standard library ----
#include <exception>

// ---- Project ----
#include "app/Application.h"
#include "settings/ExtensionsWindowUnit.h"
#include "settings/FormPlacement.h"
#include "settings/KeyPaths.h"
#include "viewers/gif/GifAnimator.h"
#include "viewers/image/StillPictureControl.h"
#include "viewers/text/Memo.h"

TTestMainWindow::TTestMainWindow() {
    move(206, 162);
    resize(696, 480);
    imgImageDisplay = new TStillPictureControl(this);  // names itself imgImageDisplay
    imgGifImageDisplay = new TGIFAnimator(this);
    imgGifImageDisplay->setObjectName(QStringLiteral("imgGifImageDisplay"));
    txtText = new TMemo(this);  // names itself txtText

    FormStorage1 = new TFormStorage(this);
    FormStorage1->IniSection = QStringLiteral("TMainWindow");
    FormStorage1->SetStoredProps(StoredProps());
    connect(this, &TTestMainWindow::FirstShowing, FormStorage1, &TFormStorage::WindowShowing);
    connect(this, &TTestMainWindow::Closing, FormStorage1, &TFormStorage::WindowClosing);
    connect(this, &TTestMainWindow::Destroying, FormStorage1, &TFormStorage::WindowDestroying);
    FormCreate();
}

TTestMainWindow::~TTestMainWindow() {
    emit Destroying();
    FormDestroy();
}

QStringList TTestMainWindow::StoredProps() {
    return {
        QStringLiteral("imgImageDisplay.Align"),       QStringLiteral("imgImageDisplay.AutoSize"),
        QStringLiteral("imgImageDisplay.Stretch"),     QStringLiteral("imgGifImageDisplay.Align"),
        QStringLiteral("imgGifImageDisplay.AutoSize"), QStringLiteral("imgGifImageDisplay.Stretch"),
        QStringLiteral("txtText.ScrollBars"),          QStringLiteral("txtText.Font")};
}

QStringList TTestMainWindow::DefaultExtensions() {
    return {QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("txt"),
            QStringLiteral("gif"),  QStringLiteral("bmp"), QStringLiteral("jpg"),
            QStringLiteral("jpeg")};
}

void TTestMainWindow::FormCreate() {
    CompanyKeyName = QStringLiteral("TarvelSoftware");
    extensions = DefaultExtensions();
    TApplication::Guarded([this] {
        extensions = ExtensionsFromText(
            FormStorage1->ReadText(QStringLiteral("Extensions"), ExtensionsText(extensions)));
    });
}

void TTestMainWindow::FormDestroy() {
    TApplication::Guarded([this] {
        FormStorage1->WriteText(QStringLiteral("Extensions"), ExtensionsText(extensions));
    });
}

void TTestMainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    emit FirstShowing();
    ++ShowHandlerCalls;
}

void TTestMainWindow::closeEvent(QCloseEvent* event) {
    emit Closing();
    event->accept();
}
