// The files of tests/data/bombs, each shown in the viewer's IMAGE page as a
// user would: loaded through the main window, painted, animated. Each must
// be refused at once or shown within its picture's budget, with the heap
// counted by HeapProbe, and the window goes on.

// Own
#include "base/Error.h"
#include "base/MemoryBudget.h"
#include "base/SystemError.h"
#include "support/HeapProbe.h"
#include "support/QtTestSupport.h"
#include "viewers/gif/GifAnimator.h"
#include "viewers/gif/GifViewer.h"
#include "viewers/gif/ThreadTimer.h"
#include "viewers/gif/core/GifImage.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/ImageViewer.h"
#include "viewers/image/ScrollBox.h"
#include "viewers/image/StillPictureControl.h"
#include "window/MainWindowUnit.h"

// Qt
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

// C
#include <unistd.h>

// C++
#include <memory>
#include <string>

// Test
#include <gtest/gtest.h>

namespace {

constexpr size_t kMiB = size_t(1) << 20;

QString Bomb(const char* name) {
    return QStringLiteral(TARVEL_SOURCE_DIR "/tests/data/bombs/") + QString::fromLatin1(name);
}

/// A 1 x 1 BMP and a two-frame 2 x 2 GIF: small pictures that take the place
/// of whatever was shown before.
QByteArray SmallBmp() {
    QByteArray b("BM", 2);
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.append(char(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) { b.append(char(v)).append(char(v >> 8)); };
    put32(58), put32(0), put32(54);
    put32(40), put32(1), put32(1), put16(1), put16(24);
    for (int i = 0; i < 6; ++i) put32(0);
    put32(0x00336699);
    return b;
}

QByteArray SmallGif() {
    const char frame[] =
        "\x21\xF9\x04\x00\x0A\x00\x00\x00"
        "\x2C\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x02\x4C\x01\x00";
    QByteArray b("GIF89a\x02\x00\x02\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 19);
    b.append(frame, sizeof frame - 1).append(frame, sizeof frame - 1).append(';');
    return b;
}

struct Outcome {
    QString error;        ///< what ShowFile threw, empty when the file showed
    size_t peakHeap = 0;  ///< the most the heap grew meanwhile
    size_t resident = 0;  ///< how much resident memory grew
};

class BombTest : public ::testing::Test {
protected:
    void SetUp() override {
        smallBmp_ = folder_.Write(QStringLiteral("small.bmp"), SmallBmp());
        smallGif_ = folder_.Write(QStringLiteral("small.gif"), SmallGif());
        window_ = std::make_unique<TMainWindow>();
        page_ = InstallImageView(*window_);
        gif_ = InstallGifView(*window_);
        window_->FormCreate();
        window_->resize(640, 480);
        window_->SetCommandLineArgument(smallBmp_);
        window_->show();
        Settle();
    }

    void Settle() {
        QApplication::processEvents();
        window_->repaint();
        QApplication::processEvents();
    }

    /// Shows the file after small pictures have replaced the earlier ones,
    /// then paints it and lets the animation take `ticks` steps.
    Outcome Show(const QString& path, int ticks) {
        window_->ShowFile(smallGif_);
        window_->ShowFile(smallBmp_);
        Settle();
        HeapProbe::ResetPeak();
        const size_t heap = HeapProbe::InUse();
        const size_t resident = HeapProbe::Resident();
        Outcome out;
        try {
            window_->ShowFile(path);
        } catch (const EError& e) {
            out.error = QString::fromStdString(e.what());
        }
        Settle();
        for (int i = 0; i < ticks; ++i) gif_->TimerTick(&gif_->Timer());
        out.peakHeap = HeapProbe::Peak() - heap;
        const size_t after = HeapProbe::Resident();
        out.resident = after > resident ? after - resident : 0;
        return out;
    }

    /// Nothing of the refused file stays: the small pictures are still shown.
    void ExpectSmallPicturesKept() {
        EXPECT_EQ(page_->imgImageDisplay()->Picture().Width(), 1);
        EXPECT_EQ(gif_->Image().LogicalWidth, 2);
        EXPECT_TRUE(window_->isVisible());
    }

    void ExpectHeapWithinTheBudget(const Outcome& out) {
        if (!HeapProbe::Available()) return;
        // What is not a picture's (Qt's own painting) takes a few kilobytes.
        EXPECT_LT(out.peakHeap, TMemoryBudget::kPictureBytes + kMiB);
        EXPECT_LE(gif_->Image().Budget().Peak(), TMemoryBudget::kPictureBytes);
    }

    ErrorBoxRecorder boxes_;
    ScratchFolder folder_;
    QString smallBmp_, smallGif_;
    std::unique_ptr<TMainWindow> window_;
    TImageView* page_ = nullptr;
    TGIFAnimator* gif_ = nullptr;
};

TEST_F(BombTest, RefusedAtOnceWithTheOutOfMemoryMessage) {
    // A 65535 x 65535 logical screen, and 2^28-pixel BMP and JPEG headers
    // without pixels: a 24-bit picture of 2^28 pixels and its 32-bit drawing
    // copy take 1.75 GiB.
    for (const char* name :
         {"screen-65535x65535.gif", "empty-16384x16384x24.bmp", "empty-16384x16384.jpg"}) {
        SCOPED_TRACE(name);
        const Outcome out = Show(Bomb(name), 5);
        EXPECT_EQ(out.error.toStdString(), outOfMemoryMessage());
        if (HeapProbe::Available()) {
            EXPECT_LT(out.peakHeap, 4 * kMiB);
        }
        ExpectSmallPicturesKept();
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(BombTest, PicturesReadThroughQtAreRefusedOrShownWithinTheBudgetInTime) {
    // Headers of 2^31 pixels, 32 KB inflating to a picture of 1 GiB drawn,
    // an SVG of 10^10 pixels and one of 1.6 * 10^10 elements through nested
    // references: each refused before it is decoded or parsed.
    for (const char* name : {"header-65536x32768.png", "header-65536x32768.tif",
                             "deflate-16384x16384.png", "svg-100000x100000.svg", "use-50x6.svg"}) {
        SCOPED_TRACE(name);
        QElapsedTimer clock;
        clock.start();
        const Outcome out = Show(Bomb(name), 0);
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_EQ(out.error.toStdString(), outOfMemoryMessage());
        if (HeapProbe::Available()) {
            EXPECT_LT(out.peakHeap, 16 * kMiB);
        }
        ExpectSmallPicturesKept();
    }
    // 64 megapixels from 8 KB: within the budget, shown.
    QElapsedTimer clock;
    clock.start();
    const Outcome out = Show(Bomb("deflate-8000x8000.png"), 0);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(page_->imgImageDisplay()->Picture().Width(), 8000);
    ExpectHeapWithinTheBudget(out);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(BombTest, HundredFramesOfTwoToTheTwentyEightPixelsCostNoMoreThanTheScreen) {
    // Frames of 16384 x 16384 over a 256 x 256 screen, a few pixels each: a
    // raster keeps only the part of its frame on the screen, and the
    // decoder's work space is bounded by what the codes can give.
    const Outcome out = Show(Bomb("frames-100x16384x16384.gif"), 120);
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(gif_->Image().FrameCount(), 100);
    EXPECT_EQ(gif_->FrameIndex(), 20);
    for (int i = 0; i < 100; ++i) {
        const TBitmap* raster = gif_->Image().Frame(i).Raster.get();
        ASSERT_NE(raster, nullptr) << i;
        EXPECT_EQ(raster->width(), 256);
    }
    if (HeapProbe::Available()) {
        EXPECT_LT(out.peakHeap, 16 * kMiB);
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(BombTest, FramesOffTheScreenAreNeverDecoded) {
    const Outcome out = Show(Bomb("offscreen-frames.gif"), 120);
    EXPECT_EQ(out.error, "");
    EXPECT_TRUE(gif_->Image().Frame(0).Decoded);
    for (int i = 1; i < gif_->Image().FrameCount(); ++i)
        EXPECT_FALSE(gif_->Image().Frame(i).Decoded) << i;
    if (HeapProbe::Available()) {
        EXPECT_LT(out.peakHeap, 4 * kMiB);
    }
}

TEST_F(BombTest, ABigScreenIsComposedOnlyWhereItCanBeSeen) {
    // 12000 x 12000: 549 MiB composed, held in the budget, but only the part
    // inside the scroll box is ever written.
    const Outcome out = Show(Bomb("screen-12000x12000.gif"), 4);
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(gif_->size(), QSize(12000, 12000));
    const QSize box = page_->sbImage()->viewport()->size();
    const TPixelRect valid = gif_->Cache().ValidRect();
    EXPECT_GT(valid.W, 0);
    EXPECT_LE(valid.W, box.width());
    EXPECT_LE(valid.H, box.height());
    ExpectHeapWithinTheBudget(out);
    EXPECT_LT(out.resident, 64 * kMiB);
}

TEST_F(BombTest, AnRleSizeFieldOfFourGigabytesReadsOnlyTheCodesItNeeds) {
    // The header's size field says 4 GB and the file has 512 MiB of codes
    // (a sparse file of end-of-line codes): the 64 rows need a few bytes.
    QFile bomb(Bomb("rle8-size-field-4g.bmp"));
    ASSERT_TRUE(bomb.open(QIODevice::ReadOnly));
    const QString path = folder_.Write(QStringLiteral("rle.bmp"), bomb.readAll());
    ASSERT_EQ(truncate(QFile::encodeName(path).constData(), off_t(512) << 20), 0);
    const Outcome out = Show(path, 0);
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(page_->imgImageDisplay()->Picture().Width(), 64);
    if (HeapProbe::Available()) {
        EXPECT_LT(out.peakHeap, 4 * kMiB);
    }
}

}  // namespace
