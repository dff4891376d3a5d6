// Own
#include "app/Application.h"
#include "base/Error.h"
#include "image/BmpBuilder.h"
#include "settings/PropsStorage.h"
#include "support/GifBuilder.h"
#include "support/QtTestSupport.h"
#include "view/ViewTestSupport.h"
#include "viewers/gif/GifAnimator.h"
#include "viewers/gif/GifViewer.h"
#include "viewers/gif/ThreadTimer.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/ImageViewer.h"
#include "viewers/image/ScrollBox.h"
#include "viewers/image/StillPictureControl.h"
#include "window/MainWindowUnit.h"

// Qt
#include <QFile>
#include <QMap>
#include <QToolButton>

// C++
#include <memory>

// Test
#include <gtest/gtest.h>

namespace {

QByteArray Bytes(const std::vector<uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

/// Two 5 x 3 frames, one colour each.
QByteArray AnimatedGif() {
    GifBuilder b;
    b.header().screen(5, 3, 4);
    for (uint8_t colour : {1, 2})
        b.graphicControl(10).frame(0, 0, 5, 3, std::vector<uint8_t>(15, colour));
    return Bytes(b.trailer().bytes);
}

QByteArray StillBmp() {
    BmpBuilder b;
    b.width = 4;
    b.height = 2;
    b.pixels.assign(24, 0x80);
    return Bytes(b.Build());
}

class GifViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<TMainWindow>();
        page_ = InstallImageView(*window_);
        gif_ = InstallGifView(*window_);
        window_->FormCreate();
        window_->resize(640, 480);
    }

    ErrorBoxRecorder boxes_;
    ScratchFolder folder_;
    std::unique_ptr<TMainWindow> window_;
    TImageView* page_ = nullptr;
    TGIFAnimator* gif_ = nullptr;
};

}  // namespace

TEST_F(GifViewTest, JoinsTheImagePageInTheScrollBoxCorner) {
    EXPECT_EQ(gif_->objectName(), "imgGifImageDisplay");
    EXPECT_EQ(gif_->parentWidget(), page_->sbImage()->Client());
    EXPECT_EQ(gif_->geometry(), QRect(8, 8, 121, 97));
    EXPECT_TRUE(gif_->Animate());
    EXPECT_EQ(window_->findChild<QWidget*>(QStringLiteral("imgGifImageDisplay")), gif_);
    // The still image first, then the GIF view: the buttons' order.
    ASSERT_EQ(page_->ImageControls().size(), 2);
    EXPECT_EQ(page_->ImageControls()[0]->Control(), page_->imgImageDisplay());
    EXPECT_EQ(page_->ImageControls()[1]->Control(), gif_);
}

TEST_F(GifViewTest, ShowFileSwapsTheVisibleImageControl) {
    const QString gif = folder_.Write(QStringLiteral("a.gif"), AnimatedGif());
    window_->ShowFile(gif);
    EXPECT_EQ(window_->ActivePageName(), "IMAGE");
    EXPECT_EQ(TApplication::Title(), gif);
    EXPECT_FALSE(gif_->isHidden());
    EXPECT_TRUE(page_->imgImageDisplay()->isHidden());
    EXPECT_GT(gif_->Image().FrameCount(), 1);
    EXPECT_EQ(gif_->size(), QSize(gif_->Image().LogicalWidth, gif_->Image().LogicalHeight));

    window_->ShowFile(folder_.Write(QStringLiteral("b.bmp"), StillBmp()));
    EXPECT_TRUE(gif_->isHidden());
    EXPECT_FALSE(page_->imgImageDisplay()->isHidden());
    // Hidden, the view's ticks change nothing.
    const int frame = gif_->FrameIndex();
    gif_->TimerTick(&gif_->Timer());
    EXPECT_EQ(gif_->FrameIndex(), frame);

    // A GIF that fails to load leaves the still image showing.
    QByteArray broken("GIF89a\x02\x00\x02\x00\x00\x00\x00!\x2A", 15);
    const QString bad = folder_.Write(QStringLiteral("bad.gif"), broken);
    EXPECT_THROW(window_->ShowFile(bad), EError);
    EXPECT_TRUE(gif_->isHidden());
    EXPECT_FALSE(page_->imgImageDisplay()->isHidden());
}

TEST_F(GifViewTest, ZoomButtonsActOnTheGifViewToo) {
    // Shown with a file of its own, so that no open dialog comes up.
    window_->SetCommandLineArgument(folder_.Write(QStringLiteral("a.gif"), AnimatedGif()));
    window_->show();
    ASSERT_EQ(window_->ActivePageName(), "IMAGE");
    const QSize logical(gif_->Image().LogicalWidth, gif_->Image().LogicalHeight);
    page_->btnZoom()->click();
    RunEventLoop(20);
    EXPECT_EQ(gif_->Align(), TControlAlign::alClient);
    EXPECT_FALSE(gif_->AutoSize());
    EXPECT_TRUE(gif_->Stretch());
    EXPECT_EQ(page_->imgImageDisplay()->Align(), TControlAlign::alClient);
    // Fills the scroll box; the picture is scaled to it.
    EXPECT_EQ(gif_->size(), page_->sbImage()->viewport()->size());
    EXPECT_EQ(gif_->DestRect(), gif_->rect());

    page_->btnZooomFull()->click();
    RunEventLoop(20);
    EXPECT_EQ(gif_->Align(), TControlAlign::alNone);
    EXPECT_TRUE(gif_->AutoSize());
    EXPECT_FALSE(gif_->Stretch());
    EXPECT_EQ(gif_->geometry(), QRect(QPoint(8, 8), logical));
}

TEST_F(GifViewTest, DisplayPropertiesGoThroughTheSettingsStore) {
    const QStringList entries{QStringLiteral("imgGifImageDisplay.Align"),
                              QStringLiteral("imgGifImageDisplay.AutoSize"),
                              QStringLiteral("imgGifImageDisplay.Stretch")};
    QMap<QString, QString> stored;
    TPropsStorage storage(
        window_.get(),
        [&](const QString& name, const QString& fallback) { return stored.value(name, fallback); },
        [&](const QString& name, const QString& value) { stored[name] = value; });
    page_->btnZoom()->click();
    storage.CaptureStoredProps(entries);
    EXPECT_EQ(stored.value(QStringLiteral("imgGifImageDisplay_Align")), "alClient");
    EXPECT_EQ(stored.value(QStringLiteral("imgGifImageDisplay_AutoSize")), "False");
    EXPECT_EQ(stored.value(QStringLiteral("imgGifImageDisplay_Stretch")), "True");

    page_->btnZooomFull()->click();
    ASSERT_EQ(gif_->Align(), TControlAlign::alNone);
    storage.ApplyStoredProps(entries);
    EXPECT_EQ(gif_->Align(), TControlAlign::alClient);
    EXPECT_FALSE(gif_->AutoSize());
    EXPECT_TRUE(gif_->Stretch());
}
