// Tests
#include <gtest/gtest.h>

// Qt
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaEnum>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

// Project
#include "BmpBuilder.h"
#include "ImageTestSupport.h"
#include "QtImageSupport.h"
#include "app/Application.h"
#include "base/Error.h"
#include "support/QtTestSupport.h"
#include "viewers/image/ControlAlign.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/ImageViewer.h"
#include "viewers/image/ScrollBox.h"
#include "viewers/image/StillPictureControl.h"
#include "viewers/image/core/JpegImage.h"
#include "viewers/image/core/PictureReadAhead.h"
#include "window/MainWindowUnit.h"
#include "window/core/FolderFollow.h"

namespace {

// A 24-bit picture whose left half is one colour and right half another.
std::vector<uint8_t> TwoColourBmp(int width, int height, QRgb left = qRgb(255, 0, 0),
                                  QRgb right = qRgb(0, 0, 255)) {
    BmpBuilder b;
    b.width = width;
    b.height = height;
    const size_t stride = TBitmap::stride(width, 24);
    b.pixels.assign(stride * size_t(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = x < width / 2 ? left : right;
            uint8_t* p = b.pixels.data() + size_t(y) * stride + size_t(x) * 3;
            p[0] = uint8_t(qBlue(c)), p[1] = uint8_t(qGreen(c)), p[2] = uint8_t(qRed(c));
        }
    return b.Build();
}

// A control that only records what the zoom buttons do to it.
class RecordingControl : public QWidget, public TZoomable {
public:
    explicit RecordingControl(QWidget* parent, QStringList* log) : QWidget(parent), log_(log) {}
    QWidget* Control() override { return this; }
    void SetAlign(TControlAlign::TAlign a) override {
        log_->append(QStringLiteral("other.Align=%1").arg(int(a)));
    }
    void SetAutoSize(bool v) override { log_->append(QStringLiteral("other.AutoSize=%1").arg(v)); }
    void SetStretch(bool v) override { log_->append(QStringLiteral("other.Stretch=%1").arg(v)); }
    void SetLeft(int v) override { log_->append(QStringLiteral("other.Left=%1").arg(v)); }
    void SetTop(int v) override { log_->append(QStringLiteral("other.Top=%1").arg(v)); }

private:
    QStringList* log_;
};

class ImageViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        errors_.clear();
        TApplication::SetErrorSink(
            [this](const QString&, const QString& text) { errors_.append(text); });
        page_ = std::make_unique<QWidget>();
        view_ = new TImageView(page_.get());
        SetViewSize(300, 200);
        page_->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        page_.reset();
        TApplication::SetErrorSink(nullptr);
    }

    // The scroll box gets w x h; the toolbar's 22 pixels come on top.
    void SetViewSize(int w, int h) {
        page_->resize(w, h + 22);
        QApplication::processEvents();
    }
    QString Write(const QString& name, const std::vector<uint8_t>& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }
    QString Load(const QString& name, const std::vector<uint8_t>& bytes) {
        const QString path = Write(name, bytes);
        view_->LoadPictureFile(path);
        QApplication::processEvents();
        return path;
    }
    // Paints the scroll box's visible area as the screen would show it.
    QImage Screen() {
        const QImage shot = view_->sbImage()->viewport()->grab().toImage();
        QApplication::processEvents();  // queued error boxes
        return shot;
    }
    TStillPictureControl* image() { return view_->imgImageDisplay(); }
    TJPEGImage* Jpeg() { return dynamic_cast<TJPEGImage*>(image()->Picture().Graphic()); }
    QString AlignName(const QObject* o) {
        const QMetaEnum e = QMetaEnum::fromType<TControlAlign::TAlign>();
        return QString::fromLatin1(e.valueToKey(o->property("Align").toInt()));
    }

    QTemporaryDir dir_;
    std::unique_ptr<QWidget> page_;
    TImageView* view_ = nullptr;
    QStringList errors_;
};

TEST_F(ImageViewTest, PageLayoutAndStartState) {
    EXPECT_EQ(TImageView::OfPage(page_.get()), view_);
    auto* toolbar = page_->findChild<QWidget*>(QStringLiteral("panImageToolbar"));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->height(), 22);
    EXPECT_EQ(toolbar->geometry().bottom(), page_->height() - 1);
    auto* full = toolbar->findChild<QToolButton*>(QStringLiteral("btnZooomFull"));
    auto* zoom = toolbar->findChild<QToolButton*>(QStringLiteral("btnZoom"));
    ASSERT_TRUE(full && zoom);
    EXPECT_EQ(full->geometry(), QRect(8, 0, 23, 22));
    EXPECT_EQ(zoom->geometry(), QRect(32, 0, 23, 22));
    EXPECT_EQ(full->toolTip(), "Actual size");
    EXPECT_EQ(zoom->toolTip(), "Stretch");
    EXPECT_TRUE(full->autoRaise());
    EXPECT_FALSE(full->icon().isNull());
    EXPECT_FALSE(zoom->icon().isNull());

    auto* sb = page_->findChild<QWidget*>(QStringLiteral("sbImage"));
    ASSERT_NE(sb, nullptr);
    EXPECT_EQ(sb->size(), QSize(300, 200));
    QObject* img = page_->findChild<QObject*>(QStringLiteral("imgImageDisplay"));
    ASSERT_EQ(img, image());
    EXPECT_EQ(AlignName(img), "alNone");
    EXPECT_EQ(img->property("AutoSize"), QVariant(true));
    EXPECT_EQ(img->property("Stretch"), QVariant(false));
    EXPECT_EQ(image()->pos(), QPoint(8, 8));
}

TEST_F(ImageViewTest, PublishedAlignTakesItsIdentifiers) {
    // Stored settings write and read the identifiers.
    ASSERT_TRUE(image()->setProperty("Align", QStringLiteral("alClient")));
    EXPECT_EQ(image()->Align(), TControlAlign::alClient);
    EXPECT_EQ(image()->size(), view_->sbImage()->viewport()->size());
    ASSERT_TRUE(image()->setProperty("Align", QStringLiteral("alNone")));
    EXPECT_EQ(AlignName(image()), "alNone");
    EXPECT_FALSE(image()->setProperty("Align", QStringLiteral("alSideways")));
}

TEST_F(ImageViewTest, ActualSizeScrollsToTheControlsEdges) {
    Load("big.bmp", TwoColourBmp(500, 400));
    EXPECT_EQ(image()->geometry(), QRect(8, 8, 500, 400));
    EXPECT_EQ(view_->sbImage()->RangeEnd(), QSize(508, 408));
    const QScrollBar* h = view_->sbImage()->horizontalScrollBar();
    const QScrollBar* v = view_->sbImage()->verticalScrollBar();
    EXPECT_TRUE(h->isVisible());
    EXPECT_EQ(h->maximum() + h->pageStep(), 508);
    EXPECT_EQ(v->maximum() + v->pageStep(), 408);
    EXPECT_EQ(image()->DestRect(), QRect(0, 0, 500, 400));

    // Drawn unscaled at 8, 8 over the scroll box's background.
    const QImage screen = Screen();
    const QRgb background = view_->sbImage()->viewport()->palette().color(QPalette::Window).rgb();
    EXPECT_EQ(screen.pixel(4, 4), background);
    EXPECT_EQ(screen.pixel(8, 8), qRgb(255, 0, 0));
    EXPECT_EQ(screen.pixel(8 + 249, 20), qRgb(255, 0, 0));
    EXPECT_EQ(screen.pixel(8 + 250, 20), qRgb(0, 0, 255));

    // A smaller picture shrinks the control and the range.
    Load("small.bmp", TwoColourBmp(100, 50));
    EXPECT_EQ(image()->geometry(), QRect(8, 8, 100, 50));
    EXPECT_EQ(h->maximum(), 0);
    EXPECT_FALSE(h->isVisible());
}

TEST_F(ImageViewTest, StretchFillsTheScrollBoxAndFitsThePicture) {
    SetViewSize(300, 300);
    view_->btnZoom()->click();
    EXPECT_EQ(AlignName(image()), "alClient");
    EXPECT_EQ(image()->property("AutoSize"), QVariant(false));
    EXPECT_EQ(image()->property("Stretch"), QVariant(true));
    EXPECT_EQ(image()->geometry(), QRect(0, 0, 300, 300));

    struct Case {
        int w, h;
        QRect dest;
    } cases[] = {
        {400, 200, {0, 0, 300, 150}}, {200, 400, {0, 0, 150, 300}}, {1000, 10, {0, 0, 300, 3}}};
    for (const Case& c : cases) {
        Load(QStringLiteral("p%1x%2.bmp").arg(c.w).arg(c.h), TwoColourBmp(c.w, c.h));
        EXPECT_EQ(image()->DestRect(), c.dest) << c.w << "x" << c.h;
        EXPECT_EQ(image()->geometry(), QRect(0, 0, 300, 300));  // loading keeps the mode
    }
    EXPECT_EQ(view_->sbImage()->horizontalScrollBar()->maximum(), 0);

    // Nearest pixel, no blending; only the destination rectangle is painted.
    Load("wide.bmp", TwoColourBmp(2, 1));
    const QImage screen = Screen();
    EXPECT_EQ(screen.pixel(149, 10), qRgb(255, 0, 0));
    EXPECT_EQ(screen.pixel(150, 10), qRgb(0, 0, 255));
    EXPECT_EQ(screen.pixel(10, 149), qRgb(255, 0, 0));
    EXPECT_EQ(screen.pixel(10, 151),
              view_->sbImage()->viewport()->palette().color(QPalette::Window).rgb());

    SetViewSize(400, 200);
    Load("square.bmp", TwoColourBmp(300, 300));
    EXPECT_EQ(image()->DestRect(), QRect(0, 0, 200, 200));
    SetViewSize(400, 400);
    Load("enlarged.bmp", TwoColourBmp(100, 50));
    EXPECT_EQ(image()->DestRect(), QRect(0, 0, 400, 200));
}

// On a high-density screen (run with QT_SCALE_FACTOR=2) actual size is one
// picture pixel per device pixel, as photo viewers show it, and the scroll
// range follows; stretching fits the page's device pixels.
TEST_F(ImageViewTest, AtADevicePixelRatioOfTwoEachPicturePixelIsOneDevicePixel) {
    if (page_->devicePixelRatioF() != 2) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    Load("p64.bmp", TwoColourBmp(64, 64));
    EXPECT_EQ(image()->size(), QSize(32, 32));
    EXPECT_EQ(image()->DestRect(), QRectF(0, 0, 32, 32));
    const QImage screen = Screen();  // in device pixels
    ASSERT_EQ(screen.devicePixelRatio(), 2);
    EXPECT_EQ(screen.pixel(16 + 31, 40), qRgb(255, 0, 0));
    EXPECT_EQ(screen.pixel(16 + 32, 40), qRgb(0, 0, 255));
    EXPECT_EQ(screen.pixel(16 + 63, 40), qRgb(0, 0, 255));
    EXPECT_EQ(screen.pixel(16 + 64, 40),
              view_->sbImage()->viewport()->palette().color(QPalette::Window).rgb());
    Load("big.bmp", TwoColourBmp(1000, 800));
    EXPECT_EQ(view_->sbImage()->RangeEnd(), QSize(508, 408));
    view_->btnZoom()->click();
    Load("wide.bmp", TwoColourBmp(1200, 100));
    EXPECT_EQ(image()->DestRect(), QRectF(0, 0, 300, 25));
}

TEST_F(ImageViewTest, ModeButtonsRunTheirStepsInOrderOnEveryControl) {
    QStringList log;
    auto* other = new RecordingControl(view_->sbImage()->Client(), &log);
    view_->AddImageControl(other);
    view_->btnZoom()->click();
    EXPECT_EQ(log, (QStringList{"other.AutoSize=0", "other.Align=5", "other.Stretch=1"}));
    log.clear();
    view_->btnZooomFull()->click();
    EXPECT_EQ(log, (QStringList{"other.Align=0", "other.AutoSize=1", "other.Stretch=0",
                                "other.Left=8", "other.Top=8"}));
    EXPECT_EQ(AlignName(image()), "alNone");

    // A load shows the still image and hides the other control; a failed load changes nothing.
    view_->ShowImageControl(other);
    EXPECT_TRUE(image()->isHidden());
    EXPECT_THROW(view_->LoadPictureFile(dir_.filePath("missing.bmp")), EError);
    EXPECT_TRUE(image()->isHidden());
    Load("a.bmp", TwoColourBmp(10, 10));
    EXPECT_FALSE(image()->isHidden());
    EXPECT_TRUE(other->isHidden());
}

TEST_F(ImageViewTest, ActualSizeAfterStretchRestoresPictureSizeAndPlace) {
    Load("a.bmp", TwoColourBmp(120, 80));
    image()->SetLeft(40);
    view_->btnZooomFull()->click();  // the same mode: only the place changes
    EXPECT_EQ(image()->geometry(), QRect(8, 8, 120, 80));
    view_->btnZoom()->click();
    EXPECT_EQ(image()->geometry(), QRect(QPoint(0, 0), view_->sbImage()->viewport()->size()));
    view_->btnZooomFull()->click();
    EXPECT_EQ(image()->geometry(), QRect(8, 8, 120, 80));
}

TEST_F(ImageViewTest, FailedLoadsKeepThePreviousPicture) {
    Load("a.bmp", TwoColourBmp(120, 80));
    TGraphic* before = image()->Picture().Graphic();
    const std::string text = "Just some text.\n";
    const QString textJpg = Write("text.jpg", std::vector<uint8_t>(text.begin(), text.end()));
    try {
        view_->LoadPictureFile(textJpg);
        ADD_FAILURE() << "loaded a text file";
    } catch (const EError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith("JPEG error #")) << e.what();
    }
    EXPECT_EQ(image()->Picture().Graphic(), before);
    EXPECT_EQ(image()->size(), QSize(120, 80));
    EXPECT_EQ(Screen().pixel(10, 10), qRgb(255, 0, 0));
}

TEST_F(ImageViewTest, EmptyFiles) {
    Load("a.bmp", TwoColourBmp(120, 80));
    // An empty BMP loads, keeps the control's size and draws nothing.
    Load("empty.bmp", {});
    EXPECT_EQ(image()->size(), QSize(120, 80));
    const QRgb background = view_->sbImage()->viewport()->palette().color(QPalette::Window).rgb();
    EXPECT_EQ(Screen().pixel(10, 10), background);
    EXPECT_TRUE(errors_.isEmpty());

    // An empty JPEG loads; its first draw reports the library's error once.
    Load("empty.jpg", {});
    EXPECT_TRUE(errors_.isEmpty());
    Screen();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("JPEG error #")) << errors_[0].toStdString();
    Screen();
    view_->btnZoom()->click();
    Screen();
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_EQ(Jpeg()->State(), TJPEGImage::TState::Broken);
}

TEST_F(ImageViewTest, JpegDecodesOnceAcrossModesResizesAndScrolls) {
    view_->LoadPictureFile(Write("IMG_0001.JPG", EncodePhoto(640, 480)));
    ASSERT_NE(Jpeg(), nullptr);
    EXPECT_EQ(Jpeg()->DecodeCount(), 0);  // nothing decoded before the first draw
    EXPECT_EQ(image()->size(), QSize(640, 480));
    const QImage first = Screen();
    EXPECT_EQ(Jpeg()->DecodeCount(), 1);
    // Drawn in its own colours, pixel for pixel from 8, 8.
    const std::vector<uint32_t> decoded = Jpeg()->Pixels().toArgb32();
    for (QPoint p : {QPoint(0, 0), QPoint(100, 50), QPoint(250, 150)})
        EXPECT_EQ(first.pixel(p + QPoint(8, 8)), decoded[size_t(p.y()) * 640 + size_t(p.x())]);
    view_->sbImage()->horizontalScrollBar()->setValue(300);
    Screen();
    view_->btnZoom()->click();
    Screen();
    SetViewSize(500, 400);
    Screen();
    view_->btnZooomFull()->click();
    Screen();
    EXPECT_EQ(Jpeg()->DecodeCount(), 1);
    EXPECT_TRUE(errors_.isEmpty());
}

// A photo with an EXIF orientation is drawn upright, sized and fitted as
// drawn: quadrants red, green (top), blue, white (bottom) as stored.
TEST_F(ImageViewTest, JpegOrientationTurnsThePhotoUprightInBothModes) {
    const std::vector<uint8_t> stored =
        EncodeJpeg(160, 80, 3, JCS_RGB, [](int x, int y, uint8_t* p) {
            const bool right = x >= 80, bottom = y >= 40;
            const QRgb c = bottom ? (right ? qRgb(255, 255, 255) : qRgb(0, 0, 255))
                                  : (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0));
            p[0] = uint8_t(qRed(c)), p[1] = uint8_t(qGreen(c)), p[2] = uint8_t(qBlue(c));
        });
    const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255),
               W = qRgb(255, 255, 255);
    // The drawn top-left, top-right, bottom-left and bottom-right colours.
    const QRgb corners[9][4] = {{},           {R, G, B, W}, {G, R, W, B},
                                {W, B, G, R}, {B, W, R, G}, {R, B, G, W},
                                {B, R, W, G}, {W, G, B, R}, {G, W, R, B}};
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) < 24 && std::abs(qGreen(a) - qGreen(b)) < 24 &&
               std::abs(qBlue(a) - qBlue(b)) < 24;
    };
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        view_->btnZooomFull()->click();
        Load(QString("turned%1.jpg").arg(o), WithOrientation(stored, o));
        const QSize drawn = o >= 5 ? QSize(80, 160) : QSize(160, 80);
        EXPECT_EQ(image()->size(), drawn);
        const QImage shot = Screen();
        const int w = drawn.width(), h = drawn.height();
        const QPoint at[4] = {
            {8 + 10, 8 + 10}, {8 + w - 10, 8 + 10}, {8 + 10, 8 + h - 10}, {8 + w - 10, 8 + h - 10}};
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(near(shot.pixel(at[k]), corners[o][k]))
                << k << std::hex << " " << shot.pixel(at[k]);
    }
    // Stretched, a portrait photo stored landscape is fitted as portrait:
    // 80 x 160 into 300 x 200 gives 100 x 200.
    Load("turned6.jpg", WithOrientation(stored, 6));
    view_->btnZoom()->click();
    EXPECT_EQ(image()->DestRect(), QRect(0, 0, 100, 200));
    const QImage shot = Screen();
    EXPECT_TRUE(near(shot.pixel(10, 10), B));
    EXPECT_TRUE(near(shot.pixel(90, 10), R));
    EXPECT_TRUE(near(shot.pixel(10, 190), W));
    EXPECT_TRUE(near(shot.pixel(90, 190), G));
    EXPECT_EQ(shot.pixel(150, 100),
              view_->sbImage()->viewport()->palette().color(QPalette::Window).rgb());
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(ImageViewTest, TruncatedJpegShowsWithoutAnError) {
    std::vector<uint8_t> cut = EncodePhoto(100, 75);
    cut.resize(cut.size() / 2);
    Load("cut.jpg", cut);
    EXPECT_EQ(image()->size(), QSize(100, 75));
    Screen();
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_EQ(Jpeg()->State(), TJPEGImage::TState::Decoded);
}

}  // namespace

namespace {

// The page inside the main window: routing of ".bmp" and ".jpg".
class ImageDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        TApplication::SetErrorSink(
            [this](const QString&, const QString& text) { errors_.append(text); });
        window_ = std::make_unique<TMainWindow>();
        view_ = InstallImageView(*window_);
    }
    void TearDown() override {
        window_.reset();
        TApplication::SetErrorSink(nullptr);
    }
    QString Write(const QString& name, const std::vector<uint8_t>& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    QTemporaryDir dir_;
    std::unique_ptr<TMainWindow> window_;
    TImageView* view_ = nullptr;
    QStringList errors_;
};

TEST_F(ImageDispatchTest, BmpAndJpegShowOnTheImagePageWhateverTheLetterCase) {
    EXPECT_EQ(TImageView::OfPage(window_->Page(QStringLiteral("IMAGE"))), view_);
    const QString bmp = Write("a.bmp", TwoColourBmp(30, 20));
    window_->ShowFile(bmp);
    EXPECT_EQ(window_->ActivePageName(), "IMAGE");
    EXPECT_EQ(TApplication::Title(), bmp);
    EXPECT_EQ(view_->imgImageDisplay()->size(), QSize(30, 20));
    EXPECT_FALSE(view_->imgImageDisplay()->isHidden());

    const QString jpg = Write("b.jpg", EncodePhoto(90, 112));
    window_->ShowFile(jpg);
    EXPECT_EQ(TApplication::Title(), jpg);
    EXPECT_EQ(view_->imgImageDisplay()->size(), QSize(90, 112));

    // Camera names and the long form of the extension show the same way.
    QImage made(14, 9, QImage::Format_RGB32);
    made.fill(Qt::darkCyan);
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    ASSERT_TRUE(made.save(&encoded, "JPEG"));
    const std::vector<uint8_t> jpegBytes(encoded.data().begin(), encoded.data().end());
    for (const char* name : {"IMG_0001.JPG", "harvesters.jpeg", "SCAN.JPEG"}) {
        const QString path = Write(name, jpegBytes);
        window_->ShowFile(path);
        EXPECT_EQ(TApplication::Title(), path);
        EXPECT_EQ(view_->imgImageDisplay()->size(), QSize(14, 9)) << name;
    }
    const QString upperBmp = Write("SCAN.BMP", TwoColourBmp(30, 20));
    window_->ShowFile(upperBmp);
    EXPECT_EQ(view_->imgImageDisplay()->size(), QSize(30, 20));
    window_->ShowFile(jpg);

    // A failed load raises out of ShowFile: the caption and the picture stay.
    const QString bad = Write("c.bmp", {'N', 'O', 'T', ' ', 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_THROW(window_->ShowFile(bad), EError);
    EXPECT_EQ(TApplication::Title(), jpg);
    EXPECT_EQ(view_->imgImageDisplay()->size(), QSize(90, 112));
}

// The picture read at start is given back when the window comes up without
// showing it, instead of being held for the whole session.
TEST(ImageStartReadAhead, APictureReadAtStartButNotShownIsGivenBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("IMG_0001.JPG");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const std::vector<uint8_t> bytes = EncodePhoto(40, 30);
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    f.close();
    ImageViewer().readFirst(path);
    TMainWindow window;
    TImageView* view = InstallImageView(window);
    view->PictureReadAhead().WaitUntilRead();
    EXPECT_EQ(view->PictureReadAhead().Count(), 1u);
    QApplication::processEvents();
    EXPECT_EQ(view->PictureReadAhead().Count(), 0u);

    // A picture read through Qt is not read before the application exists
    // (its readers need it: an SVG crashed there); it loads when shown.
    QImage png(10, 10, QImage::Format_RGB32);
    png.fill(Qt::red);
    const QString pngPath = dir.filePath("a.png");
    ASSERT_TRUE(png.save(pngPath));
    ImageViewer().readFirst(pngPath);
    TMainWindow second;
    EXPECT_EQ(InstallImageView(second)->PictureReadAhead().Count(), 0u);
}

// The window tells the view the neighbours of each file shown, which are read
// ahead once it has painted; a damaged one says nothing until it is shown, and
// reports each time it is shown, as when loaded on demand.
TEST_F(ImageDispatchTest, NeighboursAreReadAheadAndADamagedOneReportsWhenShown) {
    window_->FormCreate();
    std::vector<uint8_t> damaged = EncodePhoto(60, 40);
    for (size_t i = 0; i + 1 < damaged.size(); ++i)
        if (damaged[i] == 0xFF && damaged[i + 1] == 0xDA) {
            damaged[i + 6] = 0x33;  // a Huffman table that is never defined
            break;
        }
    const QString first = Write("IMG_0001.JPG", EncodePhoto(80, 60));
    Write("IMG_0002.JPG", damaged);
    // Pictures read through Qt are read ahead as well.
    QImage png(70, 50, QImage::Format_RGB32);
    png.fill(Qt::darkCyan);
    const QByteArray pngBytes = Encode(png, "png");
    Write("IMG_0003.png", std::vector<uint8_t>(pngBytes.begin(), pngBytes.end()));
    TPictureReadAhead& readAhead = view_->PictureReadAhead();
    const auto showAndSettle = [&] {
        window_->grab();
        QApplication::processEvents();  // queued error boxes
        for (int i = 0; i < 100 && readAhead.Count() < 2; ++i) {
            QApplication::processEvents();
            QThread::msleep(10);
        }
        readAhead.WaitUntilRead();
    };

    window_->OpenPath(first);
    showAndSettle();
    EXPECT_EQ(readAhead.Count(), 2u) << "the next file and the last (before the first)";
    EXPECT_TRUE(errors_.isEmpty());
    window_->ShowNext();
    showAndSettle();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("JPEG error #")) << errors_[0].toStdString();
    const std::string pngPath = QFile::encodeName(dir_.filePath("IMG_0003.png")).toStdString();
    std::unique_ptr<TGraphic> readPng = readAhead.Take(pngPath);
    ASSERT_NE(readPng, nullptr) << "the PNG after the damaged file was read ahead";
    EXPECT_EQ(readPng->Width(), 70);
    readAhead.GiveBack(pngPath, std::move(readPng), TPictureReadAhead::TStamp::Of(pngPath));
    window_->ShowNext();
    showAndSettle();
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_EQ(view_->imgImageDisplay()->size(), QSize(70, 50));
    window_->ShowPrevious();
    showAndSettle();
    EXPECT_EQ(errors_.size(), 2);
}

// The picture shown follows its file: shown again once the file has rested,
// the old picture kept until then, no error box while the file is written in
// pieces, and one for a file that is damaged once it has rested.
TEST_F(ImageDispatchTest, ThePictureShownFollowsItsFileWithoutErrorsWhileItIsWritten) {
    window_->FormCreate();
    const QString path = Write("shot.bmp", TwoColourBmp(30, 20));
    window_->OpenPath(path);
    ASSERT_EQ(view_->imgImageDisplay()->size(), QSize(30, 20));
    const auto shownSize = [&] { return view_->imgImageDisplay()->size(); };

    const std::vector<uint8_t> next = TwoColourBmp(50, 40);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    // Half its header first, the writer then pausing for longer than a file
    // takes to settle: it cannot be read yet, which is no error.
    file.write(reinterpret_cast<const char*>(next.data()), 10);
    file.flush();
    RunEventsFor(int(TSettleRule::kSettleMs) + 300);
    EXPECT_EQ(shownSize(), QSize(30, 20));
    file.write(reinterpret_cast<const char*>(next.data() + 10), qint64(next.size() - 10));
    file.close();
    ASSERT_TRUE(WaitUntil([&] { return shownSize() == QSize(50, 40); }));
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(" | ").toStdString();

    Write("shot.bmp", {'N', 'O', 'T', ' ', 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(WaitUntil([&] { return !errors_.isEmpty(); }));
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_EQ(shownSize(), QSize(50, 40));
}

// The picture page's keys: arrows scroll a picture larger than the page at
// actual size, along the arrow's direction, and step otherwise; the page and
// space keys always step.
TEST_F(ImageDispatchTest, ArrowsScrollALargePictureAndOtherwiseStep) {
    window_->FormCreate();
    const QString big = Write("a.bmp", TwoColourBmp(2000, 300));
    Write("b.bmp", TwoColourBmp(30, 20));
    view_->ShowActualSize();
    window_->OpenPath(big);
    window_->OnShow = nullptr;  // no command line to open
    window_->show();
    QApplication::processEvents();
    const auto press = [&](int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window_->FileNameBox(), &event);
    };
    const auto shownWidth = [&] { return view_->imgImageDisplay()->width(); };
    QScrollBar* across = view_->sbImage()->horizontalScrollBar();
    ASSERT_GT(across->maximum(), 0);
    ASSERT_EQ(view_->sbImage()->verticalScrollBar()->maximum(), 0);
    press(Qt::Key_Right);
    EXPECT_GT(across->value(), 0);
    press(Qt::Key_Left);
    EXPECT_EQ(across->value(), 0);
    EXPECT_EQ(shownWidth(), 2000);
    press(Qt::Key_Down);  // not taller than the page: a step
    EXPECT_EQ(shownWidth(), 30);
    press(Qt::Key_Right);  // nothing to scroll: a step (round to the first)
    EXPECT_EQ(shownWidth(), 2000);
    press(Qt::Key_Space);
    EXPECT_EQ(shownWidth(), 30);
    press(Qt::Key_Backspace);
    EXPECT_EQ(shownWidth(), 2000);
    // Stretched, nothing scrolls: the arrows step.
    view_->StretchToFit();
    QApplication::processEvents();
    press(Qt::Key_Right);
    EXPECT_EQ(window_->CurrentIndex(), 1);
    EXPECT_TRUE(errors_.isEmpty());
}

}  // namespace
