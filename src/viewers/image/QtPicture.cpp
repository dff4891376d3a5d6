#include "viewers/image/QtPicture.h"

// Qt
#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>

// C++ standard library
#include <algorithm>
#include <cstring>
#include <string_view>

// Project
#include "base/Error.h"
#include "base/SystemError.h"
#include "viewers/image/core/IccProfile.h"
#include "viewers/image/core/ImageFile.h"
#include "viewers/image/core/SvgGuard.h"

namespace {

// What a frame without a delay of its own stays up (as a browser shows it).
constexpr int kDefaultDelayMs = 100;
constexpr int kMinDelayMs = 20;

}  // namespace

TQtPicture::TQtPicture(std::string format) : format_(std::move(format)) {}

TQtPicture::~TQtPicture() = default;

std::unique_ptr<QImageReader> TQtPicture::openReader(QBuffer& buffer) {
    buffer.open(QIODevice::ReadOnly);
    auto reader = std::make_unique<QImageReader>(&buffer, QByteArray::fromStdString(format_));
    // Photos upright: the reader applies the file's own orientation.
    reader->setAutoTransform(true);
    // Qt's own ceiling for what a reader allocates, in MiB: the budget's.
    const uint64_t limitMiB = std::max<uint64_t>(1, Budget().Limit() >> 20);
    reader->setAllocationLimit(int(std::min<uint64_t>(limitMiB, 1u << 30)));
    return reader;
}

void TQtPicture::readFrame(QImageReader& reader) {
    // The header's size first: a picture beyond the budget is refused before
    // a pixel is decoded (an SVG's size is the one it is rendered at).
    const QSize size = reader.size();
    TBudgetShare share;
    if (size.isValid()) share = Budget().Take(TBitmap::argb32Bytes(size.width(), size.height()));
    QImage image;
    if (!reader.read(&image)) {
        // Qt refuses a size beyond the allocation limit with a text of its
        // own; the viewer says what it says for every picture too large.
        const QSize claimed = reader.size();
        if (claimed.isValid() &&
            !Budget().Fits(TBitmap::argb32Bytes(claimed.width(), claimed.height())))
            throw EError(outOfMemoryMessage());
        throw EError(reader.errorString().toStdString());
    }
    // An embedded profile (PNG iCCP, WebP, TIFF): to sRGB, in place. One Qt
    // cannot read (it reads matrix-shaper profiles) leaves the numbers as
    // they stand.
    const QColorSpace space = image.colorSpace();
    if (space.isValid() && space != QColorSpace(QColorSpace::SRgb)) {
        image.convertToColorSpace(QColorSpace::SRgb);
        if (image.isNull()) throw EError(outOfMemoryMessage());
    } else if (!space.isValid() && format_ == "png") {
        convertWithLittleCms(image);
    }
    // The pixels as drawn: premultiplied where there is alpha, so that a
    // paint blends them without converting.
    const QImage::Format drawn =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != drawn) share = convertCounted(image, drawn);
    // The share matches what is held (a frame's size may differ from the
    // header's, after the orientation was applied or where it had none).
    if (share.Bytes() != TBitmap::argb32Bytes(image.width(), image.height())) {
        share = TBudgetShare();
        share = Budget().Take(TBitmap::argb32Bytes(image.width(), image.height()));
    }
    frame_ = std::move(image);
    frameShare_ = std::move(share);
    pixelsMade_ = false;
    pixels_ = TBitmap();
    const int delay = reader.nextImageDelay();
    delay_ = delay > 0 ? std::max(delay, kMinDelayMs) : kDefaultDelayMs;
}

// The copy a conversion makes counts in the picture's budget; the share
// returned holds the converted pixels.
TBudgetShare TQtPicture::convertCounted(QImage& image, QImage::Format format) {
    TBudgetShare copy = Budget().Take(TBitmap::argb32Bytes(image.width(), image.height()));
    image = image.convertToFormat(format);
    if (image.isNull()) throw EError(outOfMemoryMessage());
    return copy;
}

// A PNG profile Qt cannot read (one of lookup tables rather than a matrix):
// Little CMS converts the rows, as for a JPEG's profile.
void TQtPicture::convertWithLittleCms(QImage& image) {
    const std::vector<uint8_t> profile = icc::FromPng(bytes_.data(), bytes_.size());
    const std::unique_ptr<icc::TToSrgb> toSrgb =
        icc::TToSrgb::FromProfile(profile.data(), profile.size());
    if (!toSrgb) return;
    // Blue, green, red and alpha (or x) bytes, alpha not multiplied in.
    const QImage::Format rows =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image.format() != rows) convertCounted(image, rows);
    for (int y = 0; y < image.height(); ++y)
        toSrgb->Apply(image.scanLine(y), std::size_t(image.width()));
}

void TQtPicture::LoadFromFile(const std::string& path) {
    TBudgetShare share;
    std::vector<uint8_t> bytes = TImageFile::ReadAll(path, &Budget(), &share);
    LoadFromBytes(std::move(bytes), std::move(share));
}

void TQtPicture::LoadFromBytes(std::vector<uint8_t> bytes, TBudgetShare share) {
    bytes_ = std::move(bytes);
    bytesShare_ = std::move(share);
    try {
        if (format_ == "svg" || format_ == "svgz") checkSvg();
        data_ = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes_.data()),
                                        qsizetype(bytes_.size()));
        QBuffer buffer(&data_);
        std::unique_ptr<QImageReader> reader = openReader(buffer);
        readFrame(*reader);
        animated_ = reader->supportsAnimation() && reader->imageCount() != 1 && reader->canRead();
    } catch (...) {
        // A failed load holds nothing.
        data_ = QByteArray();
        std::vector<uint8_t>().swap(bytes_);
        bytesShare_ = TBudgetShare();
        throw;
    }
}

void TQtPicture::checkSvg() {
    // Compressed (whatever the extension says): inflated here, within the
    // budget, and read as the SVG it holds.
    if (bytes_.size() >= 2 && bytes_[0] == 0x1F && bytes_[1] == 0x8B) {
        std::vector<uint8_t> inflated =
            svg::Gunzip(bytes_.data(), bytes_.size(), Budget().Available());
        TBudgetShare share = Budget().Take(inflated.size());
        bytes_ = std::move(inflated);
        bytesShare_ = std::move(share);
        format_ = "svg";
    }
    const std::string_view document(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
    if (svg::DrawnElements(document) >= svg::kMaxDrawnElements) throw EError(outOfMemoryMessage());
}

bool TQtPicture::NextFrame() {
    if (!animated_) return false;
    try {
        if (!animationReader_) {
            // The first frame is the one loaded: read past it.
            animationBuffer_ = std::make_unique<QBuffer>(&data_);
            animationReader_ = openReader(*animationBuffer_);
            QImage first;
            if (!animationReader_->read(&first)) throw EError(outOfMemoryMessage());
        }
        if (!animationReader_->canRead()) {
            // After the last frame, the first again.
            animationReader_.reset();
            animationBuffer_ = std::make_unique<QBuffer>(&data_);
            animationReader_ = openReader(*animationBuffer_);
        }
        readFrame(*animationReader_);
        return true;
    } catch (const EError&) {
        // A frame that cannot be read ends the animation on the one shown.
        animated_ = false;
        animationReader_.reset();
        animationBuffer_.reset();
        return false;
    }
}

const TBitmap& TQtPicture::Pixels() {
    if (!pixelsMade_ && !frame_.isNull()) {
        TBitmap bitmap;
        bitmap.allocate(frame_.width(), -frame_.height(), 32, &Budget());
        // The frame's rows as they stand: RGB32, or premultiplied ARGB, whose
        // blue, green and red are the colour over black.
        for (int y = 0; y < frame_.height(); ++y)
            std::memcpy(bitmap.scanLine(y), frame_.constScanLine(y), size_t(frame_.width()) * 4);
        pixels_ = std::move(bitmap);
        pixelsMade_ = true;
    }
    return pixels_;
}
