// Pictures read through Qt's image readers: which extensions the still image
// view takes, each format shown in both modes with its transparency over the
// page, an animated WebP stepping through its frames (an APNG showing its
// first), colour profiles converted to sRGB, and a damaged file
// failing with the reader's own text while the previous picture stays.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorSpace>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

#include <memory>

#include "IccTestSupport.h"
#include "QtImageSupport.h"
#include "app/Application.h"
#include "base/Error.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/ImageViewer.h"
#include "viewers/image/QtPicture.h"
#include "viewers/image/QtPictureFormats.h"
#include "viewers/image/ScrollBox.h"
#include "viewers/image/StillPictureControl.h"
#include "viewers/image/core/BmpGraphic.h"
#include "viewers/image/core/JpegImage.h"
#include "viewers/image/core/PictureFormats.h"

namespace {

class QtFormatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TApplication::SetErrorSink(
            [this](const QString&, const QString& text) { errors_.append(text); });
        page_ = std::make_unique<QWidget>();
        view_ = new TImageView(page_.get());
        page_->resize(300, 222);  // a scroll box of 300 x 200
        page_->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        page_.reset();
        TApplication::SetErrorSink(nullptr);
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QImage Screen() {
        const QImage shot = view_->sbImage()->viewport()->grab().toImage();
        QApplication::processEvents();
        return shot;
    }
    QRgb Background() const {
        return view_->sbImage()->viewport()->palette().color(QPalette::Window).rgb();
    }
    TStillPictureControl* image() { return view_->imgImageDisplay(); }

    QTemporaryDir dir_;
    std::unique_ptr<QWidget> page_;
    TImageView* view_ = nullptr;
    QStringList errors_;
};

bool Near(QRgb a, QRgb b, int tolerance = 2) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

}  // namespace

TEST(PictureFormatList, TakesEveryFormatQtReadsAndKeepsTheOwnReaders) {
    const TPictureFormats& formats = ProgramPictureFormats();
    QStringList listed;
    for (const TPictureFormat& f : formats.Formats()) listed << QString::fromStdString(f.extension);
    // The own readers first, then the common formats, in the file-type list's order.
    EXPECT_EQ(listed.mid(0, 10), QStringList({"bmp", "jpeg", "jpg", "png", "webp", "svg", "svgz",
                                              "tif", "tiff", "ico"}));
    // Exactly what Qt reads (its plugins loaded here), GIF left to its view.
    QStringList qt;
    for (const QByteArray& f : QImageReader::supportedImageFormats())
        if (f != "gif") qt << QString::fromLatin1(f).toLower();
    qt.removeDuplicates();
    QStringList sortedListed = listed;
    sortedListed.sort();
    qt.sort();
    EXPECT_EQ(sortedListed, qt);
    QStringList unique = listed;
    unique.removeDuplicates();
    EXPECT_EQ(unique, listed);

    EXPECT_NE(dynamic_cast<TBmpGraphic*>(formats.CreateFor("/a/b.BMP").get()), nullptr);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(formats.CreateFor("/a/b.jpeg").get()), nullptr);
    EXPECT_NE(dynamic_cast<TQtPicture*>(formats.CreateFor("/a/b.Png").get()), nullptr);
    // The viewer record takes exactly the list's extensions.
    QStringList record;
    for (const QString& e : ImageViewer().extensions) record << e.mid(1);
    EXPECT_EQ(record, listed);
}

TEST_F(QtFormatsTest, EachFormatShowsInBothModesWithItsTransparency) {
    const QImage picture = HalfTransparent(40, 30, QColor(0, 0, 255));
    const QByteArray svg = HalfTransparentSvg(40, 30, "#0000ff");
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"a.png", Encode(picture, "png")},
        {"a.webp", Encode(picture, "webp", 100)},
        {"a.tif", Encode(picture, "tiff")},
        {"A.TIFF", Encode(picture, "tiff")},
        {"a.ico", Encode(picture, "ico")},
        {"a.svg", svg},
        {"a.svgz", Gzip(svg)},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        view_->btnZooomFull()->click();
        view_->LoadPictureFile(Write(QString::fromLatin1(file.name), file.bytes));
        EXPECT_EQ(image()->size(), QSize(40, 30));
        // The pixels as a TBitmap too (for callers without Qt): over black.
        auto* picture = dynamic_cast<TQtPicture*>(image()->Picture().Graphic());
        ASSERT_NE(picture, nullptr);
        const std::vector<uint32_t> rows = picture->Pixels().toArgb32();
        ASSERT_EQ(rows.size(), 40u * 30u);
        EXPECT_TRUE(Near(rows[5 * 40 + 5], qRgb(0, 0, 255)));
        EXPECT_EQ(rows[5 * 40 + 35] & 0xFFFFFFu, 0u);
        QImage shot = Screen();
        // Actual size from 8, 8: the opaque half, then the page through the
        // transparent half.
        EXPECT_TRUE(Near(shot.pixel(8 + 5, 8 + 5), qRgb(0, 0, 255)))
            << std::hex << shot.pixel(13, 13);
        EXPECT_EQ(shot.pixel(8 + 35, 8 + 5), Background());
        // Stretched: 40 x 30 fitted into 300 x 200 is 266 x 200.
        view_->btnZoom()->click();
        shot = Screen();
        EXPECT_TRUE(Near(shot.pixel(100, 100), qRgb(0, 0, 255)));
        EXPECT_EQ(shot.pixel(200, 100), Background());
    }
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("; ").toStdString();
}

// A PNG whose iCCP chunk says Adobe RGB: a green stored as (117, 199, 75) is
// drawn as the sRGB (40, 200, 60) it stands for (ImageMagick: 39.9, 200.3,
// 60.4).
TEST_F(QtFormatsTest, AProfileIsConvertedToSrgbForDrawing) {
    QImage green(20, 10, QImage::Format_RGB32);
    green.fill(qRgb(117, 199, 75));
    green.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    view_->LoadPictureFile(Write("adobe.png", Encode(green, "png")));
    EXPECT_TRUE(Near(Screen().pixel(8 + 5, 8 + 5), qRgb(40, 200, 60), 3))
        << std::hex << Screen().pixel(8 + 5, 8 + 5);
    green.setColorSpace(QColorSpace());
    view_->LoadPictureFile(Write("plain.png", Encode(green, "png")));
    EXPECT_EQ(Screen().pixel(8 + 5, 8 + 5), qRgb(117, 199, 75));
}

// A PNG profile of lookup tables, which Qt's QColorSpace does not read:
// converted by Little CMS, to what Little CMS's own transform gives.
TEST_F(QtFormatsTest, AProfileQtCannotReadIsConvertedByLittleCms) {
    const std::vector<uint8_t> icc = SavedProfile(AdobeRgbTableProfile());
    ASSERT_FALSE(QColorSpace::fromIccProfile(
                     QByteArray(reinterpret_cast<const char*>(icc.data()), qsizetype(icc.size())))
                     .isValid());
    QImage green(20, 10, QImage::Format_RGB32);
    green.fill(qRgb(117, 199, 75));
    QByteArray png = Encode(green, "png");
    // An iCCP chunk after IHDR: a name, its NUL, method 0, the zlib stream.
    QByteArray body =
        QByteArray("tables", 6) + QByteArray(2, '\0') +
        qCompress(QByteArray(reinterpret_cast<const char*>(icc.data()), qsizetype(icc.size())))
            .mid(4);
    QByteArray chunk;
    for (int shift = 24; shift >= 0; shift -= 8) chunk.append(char((body.size() >> shift) & 0xFF));
    const QByteArray typed = "iCCP" + body;
    chunk += typed;
    const uint32_t crc = Crc32(typed);
    for (int shift = 24; shift >= 0; shift -= 8) chunk.append(char((crc >> shift) & 0xFF));
    png.insert(33, chunk);
    view_->LoadPictureFile(Write("tables.png", png));

    cmsHPROFILE in = AdobeRgbTableProfile(), out = cmsCreate_sRGBProfile();
    cmsHTRANSFORM reference =
        cmsCreateTransform(in, TYPE_RGB_8, out, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    uint8_t expected[3] = {117, 199, 75};
    cmsDoTransform(reference, expected, expected, 1);
    cmsDeleteTransform(reference);
    cmsCloseProfile(in);
    cmsCloseProfile(out);
    EXPECT_NE(expected[0], 117);
    const QRgb drawn = Screen().pixel(8 + 5, 8 + 5);
    EXPECT_TRUE(Near(drawn, qRgb(expected[0], expected[1], expected[2]), 1)) << std::hex << drawn;
}

TEST_F(QtFormatsTest, AnimatedWebpStepsThroughItsFramesAndApngShowsItsFirst) {
    std::vector<QImage> frames;
    for (QColor c : {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)}) {
        QImage frame(20, 10, QImage::Format_RGB32);
        frame.fill(c);
        frames.push_back(frame);
    }
    view_->LoadPictureFile(Write("anim.webp", AnimatedWebp(frames, 40)));
    EXPECT_EQ(image()->size(), QSize(20, 10));
    auto* picture = dynamic_cast<TQtPicture*>(image()->Picture().Graphic());
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->Animated());
    EXPECT_EQ(picture->FrameDelay(), 40);
    // Red, green, blue and red again, each after its delay.
    QStringList seen;
    QElapsedTimer clock;
    clock.start();
    while (seen.size() < 4 && clock.elapsed() < 3000) {
        const QRgb p = Screen().pixel(8 + 5, 8 + 5);
        const QString name = Near(p, qRgb(255, 0, 0), 8)   ? "red"
                             : Near(p, qRgb(0, 255, 0), 8) ? "green"
                             : Near(p, qRgb(0, 0, 255), 8) ? "blue"
                                                           : "other";
        if (seen.isEmpty() || seen.back() != name) seen << name;
        QThread::msleep(5);
    }
    EXPECT_EQ(seen, QStringList({"red", "green", "blue", "red"}));

    // An APNG shows its first frame, still (Qt's PNG reader reads the
    // default image only).
    view_->LoadPictureFile(Write("anim.png", AnimatedPng(frames[0], frames[1])));
    picture = dynamic_cast<TQtPicture*>(image()->Picture().Graphic());
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->Animated());
    EXPECT_TRUE(Near(Screen().pixel(8 + 5, 8 + 5), qRgb(255, 0, 0)));
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(QtFormatsTest, DamagedFileFailsWithTheReadersTextAndKeepsThePicture) {
    const QImage picture = HalfTransparent(40, 30, QColor(0, 0, 255));
    view_->LoadPictureFile(Write("good.png", Encode(picture, "png")));
    TGraphic* before = image()->Picture().Graphic();
    for (const char* name : {"cut.png", "cut.webp", "text.tiff", "cut.svg"}) {
        SCOPED_TRACE(name);
        const QByteArray whole = QByteArray(name).endsWith("svg")
                                     ? HalfTransparentSvg(40, 30, "#00f")
                                     : Encode(picture, QByteArray(name).split('.').last());
        const QByteArray bytes = QByteArray(name).startsWith("text") ? QByteArray("Just text.\n")
                                                                     : whole.left(whole.size() / 2);
        // What Qt's reader says of these bytes.
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer, QByteArray(name).split('.').last());
        ASSERT_TRUE(reader.read().isNull());
        try {
            view_->LoadPictureFile(Write(QString::fromLatin1(name), bytes));
            ADD_FAILURE() << "loaded";
        } catch (const EError& e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), reader.errorString());
        }
        EXPECT_EQ(image()->Picture().Graphic(), before);
        EXPECT_TRUE(Near(Screen().pixel(8 + 5, 8 + 5), qRgb(0, 0, 255)));
    }
    EXPECT_TRUE(errors_.isEmpty());
}
