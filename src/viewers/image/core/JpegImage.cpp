#include "viewers/image/core/JpegImage.h"

// C
#include <cstdio>

// libjpeg
#include <jpeglib.h>

// C++
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

// Project
#include "base/Error.h"
#include "viewers/image/core/IccProfile.h"
#include "viewers/image/core/ImageFile.h"
#include "viewers/image/core/JpegDecompressor.h"
#include "viewers/image/core/Orientation.h"

namespace {

constexpr int kGrayColors = 236;
constexpr unsigned kRowsPerRead = 16;

// A header can declare far more pixels than memory holds; refuse it before
// the library or the picture allocates anything for it.
void CheckPixelLimit(uint64_t width, uint64_t height) {
    if (width * height > TBitmap::kMaxPixels) throw EError(outOfMemoryMessage());
}

bool GrayOutput(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_GRAYSCALE;
}

// What the library allocates for a picture at most, read from its header:
// multi-scan (progressive) files go through a coefficient buffer of the
// whole picture, 128 bytes per 8 x 8 block of every component; every file
// keeps a few rows of blocks of every component.
uint64_t LibraryBytes(jpeg_decompress_struct& info) {
    uint64_t bytes = TMemoryBudget::Bytes(info.image_width, uint64_t(info.num_components), 256);
    if (!jpeg_has_multiple_scans(&info)) return bytes;
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& comp = info.comp_info[c];
        const uint64_t h = uint64_t(std::max(comp.h_samp_factor, 1));
        const uint64_t v = uint64_t(std::max(comp.v_samp_factor, 1));
        const uint64_t columns = (uint64_t(comp.width_in_blocks) + h - 1) / h * h;
        const uint64_t rows = (uint64_t(comp.height_in_blocks) + v - 1) / v * v;
        bytes += TMemoryBudget::Bytes(columns, rows, sizeof(JBLOCK));
    }
    return bytes;
}

void SetDecodeParameters(jpeg_decompress_struct& info) {
    info.scale_num = 1;
    info.scale_denom = 1;
    info.do_block_smoothing = TRUE;
    info.dct_method = JDCT_FLOAT;
    info.buffered_image = FALSE;
    switch (info.jpeg_color_space) {
        case JCS_GRAYSCALE:
            info.out_color_space = JCS_GRAYSCALE;
            info.quantize_colors = TRUE;
            info.desired_number_of_colors = kGrayColors;
            info.two_pass_quantize = FALSE;
            info.dither_mode = JDITHER_FS;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            // The library turns YCCK into CMYK; the colours are worked out below.
            info.out_color_space = JCS_CMYK;
            info.quantize_colors = FALSE;
            break;
        default:
            // Blue, green, red and 0xFF: the byte order of the 32-bit picture
            // and of the drawing surface, so the rows are drawn as decoded.
            info.out_color_space = JCS_EXT_BGRX;
            info.quantize_colors = FALSE;
            break;
    }
}

// CMYK to BGRX. Files with an Adobe marker store the inks inverted.
void CmykRowToBgrx(const uint8_t* in, uint8_t* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, in += 4, out += 4) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[0] = uint8_t((y * k + 127) / 255);
        out[1] = uint8_t((m * k + 127) / 255);
        out[2] = uint8_t((c * k + 127) / 255);
        out[3] = 0xFF;
    }
}

// Colour pictures decode into 32 bits a pixel whose fourth byte is 0xFF,
// which is drawn as it stands; gray ones into 8 bits, drawn through a copy.
uint16_t OutputBits(bool gray) {
    return gray ? 8 : 32;
}

/// Thrown inside a decode ahead that was told to stop; never seen outside.
struct TStopped {};

/// Converts the rows of a picture to sRGB behind the decoder, on a thread of
/// its own for a large picture, so that the conversion runs beside the
/// decode on another core instead of after it. Every row handed over is
/// converted by the time Finish() (or the destructor) returns.
class TRowConverter {
public:
    // Below this a thread costs more than it saves.
    static constexpr uint64_t kThreadPixels = uint64_t(1) << 20;

    TRowConverter(const icc::TToSrgb& toSrgb, TBitmap& bitmap) : toSrgb_(toSrgb), bitmap_(bitmap) {
        if (uint64_t(bitmap.width()) * uint64_t(bitmap.height()) < kThreadPixels) return;
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // No thread to be had: converted on the decoding thread.
        }
    }
    ~TRowConverter() { Finish(); }
    TRowConverter(const TRowConverter&) = delete;
    TRowConverter& operator=(const TRowConverter&) = delete;

    /// Rows up to `rows` (from the top) are decoded.
    void Decoded(int rows) {
        if (!thread_.joinable()) {
            convert(done_, rows);
            done_ = rows;
            return;
        }
        {
            std::lock_guard guard(lock_);
            decoded_ = rows;
        }
        changed_.notify_one();
    }

    void Finish() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard guard(lock_);
            finished_ = true;
        }
        changed_.notify_one();
        thread_.join();
    }

private:
    // Rows of 32 bits follow each other without padding.
    void convert(int from, int to) {
        if (to > from)
            toSrgb_.Apply(bitmap_.scanLine(from),
                          std::size_t(bitmap_.width()) * std::size_t(to - from));
    }

    void run() {
        int converted = 0;
        std::unique_lock guard(lock_);
        for (;;) {
            changed_.wait(guard, [&] { return decoded_ > converted || finished_; });
            const int to = decoded_;
            if (to == converted && finished_) return;
            guard.unlock();
            convert(converted, to);
            converted = to;
            guard.lock();
        }
    }

    const icc::TToSrgb& toSrgb_;
    TBitmap& bitmap_;
    std::thread thread_;
    std::mutex lock_;
    std::condition_variable changed_;
    int decoded_ = 0;
    int done_ = 0;  // without a thread
    bool finished_ = false;
};

/// The whole decode into bitmap. `stop`, when given, is looked at between
/// groups of rows. The library may allocate up to `memoryLimit` bytes; the
/// pixels are held in the budget by the caller (this may run on any thread).
void Decode(const uint8_t* data, size_t size, TBitmap& bitmap, const std::atomic<bool>* stop,
            uint64_t memoryLimit) {
    TJpegDecompressor decompressor(data, size);
    jpeg_decompress_struct& info = decompressor.Info();
    decompressor.ReadHeader();
    CheckPixelLimit(info.image_width, info.image_height);
    SetDecodeParameters(info);
    decompressor.CalcOutputDimensions();
    CheckPixelLimit(info.output_width, info.output_height);

    const int width = int(info.output_width);
    const int height = int(info.output_height);
    const bool gray = info.out_color_space == JCS_GRAYSCALE;
    // Top-down, so that row y of the picture is output scan line y.
    bitmap.allocate(width, -height, OutputBits(gray));
    bitmap.opaqueFourthByte = !gray;
    decompressor.SetMemoryLimit(memoryLimit);
    try {
        decompressor.Start();
    } catch (...) {
        bitmap = TBitmap();  // not a row was decoded: there is nothing to draw
        throw;
    }
    if (gray) {
        const int colours = info.actual_number_of_colors;
        bitmap.palette.resize(size_t(colours));
        for (int i = 0; i < colours; ++i) {
            const uint8_t v = info.colormap[0][i];
            bitmap.palette[size_t(i)] = TRGBQuad{v, v, v, 0};
        }
    }

    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    if (info.out_color_space == JCS_CMYK) {
        std::vector<uint8_t> cmyk(size_t(width) * 4);
        uint8_t* row = cmyk.data();
        for (int y = 0; y < height; ++y) {
            if (y % kRowsPerRead == 0 && stopped()) throw TStopped{};
            decompressor.ReadScanLines(&row, 1);
            CmykRowToBgrx(row, bitmap.scanLine(y), width, info.saw_Adobe_marker);
        }
    } else {
        // An embedded RGB profile: the rows to sRGB as they are decoded.
        const std::vector<uint8_t> profile = icc::FromJpeg(data, size);
        const std::unique_ptr<icc::TToSrgb> toSrgb =
            icc::TToSrgb::FromProfile(profile.data(), profile.size());
        std::optional<TRowConverter> converter;
        if (toSrgb) converter.emplace(*toSrgb, bitmap);
        uint8_t* rows[kRowsPerRead];
        for (int y = 0; y < height;) {
            if (stopped()) throw TStopped{};
            const unsigned count = unsigned(std::min<int>(kRowsPerRead, height - y));
            for (unsigned i = 0; i < count; ++i) rows[i] = bitmap.scanLine(y + int(i));
            y += int(decompressor.ReadScanLines(rows, count));
            if (converter) converter->Decoded(y);
        }
    }
    decompressor.Finish();
}

}  // namespace

struct TJPEGImage::TDecodeShares {
    TBudgetShare pixels;
    TBudgetShare work;
    uint64_t memoryLimit = 0;
};

struct TJPEGImage::TAhead {
    std::atomic<bool> stop{false};
    TBitmap bitmap;
    std::exception_ptr error;
    TDecodeShares shares;
    std::thread thread;  // DecodeAhead's own; a job handed out runs elsewhere
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;  // the job has run, or was dropped
    bool ran = false;

    void Wait() {
        if (thread.joinable()) thread.join();
        std::unique_lock guard(lock);
        done.wait(guard, [this] { return finished; });
    }
};

void TJPEGImage::TAheadStop::operator()(TAhead* ahead) const {
    ahead->stop = true;
    ahead->Wait();
    delete ahead;
}

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::LoadFromFile(const std::string& path) {
    ahead_.reset();
    TBudgetShare share;
    std::vector<uint8_t> data = TImageFile::ReadAll(path, &Budget(), &share);
    Load(std::move(data), std::move(share));
}

void TJPEGImage::LoadFromBytes(std::vector<uint8_t> data) {
    ahead_.reset();
    TBudgetShare share = Budget().Take(data.size());
    Load(std::move(data), std::move(share));
}

void TJPEGImage::Load(std::vector<uint8_t> data, TBudgetShare share) {
    int width = 0, height = 0;
    uint64_t pixelBytes = 0, libraryBytes = 0, copyBytes = 0;
    if (!data.empty()) {
        TJpegDecompressor decompressor(data.data(), data.size());
        jpeg_decompress_struct& info = decompressor.Info();
        decompressor.ReadHeader();
        width = int(info.image_width);
        height = int(info.image_height);
        CheckPixelLimit(info.image_width, info.image_height);
        // The pixels, the copy they are drawn from and the decoding work must
        // fit beside the file bytes: refused now rather than at the first draw.
        const bool gray = GrayOutput(info);
        pixelBytes = TBitmap::pixelBytes(width, height, OutputBits(gray));
        libraryBytes = LibraryBytes(info);
        const uint64_t previous = dataShare_.Bytes() + pixelsShare_.Bytes();
        copyBytes = gray ? TBitmap::argb32Bytes(width, height) : 0;
        const uint64_t need = pixelBytes + copyBytes + libraryBytes;
        if (need > Budget().Available() + previous) throw EError(outOfMemoryMessage());
    }
    data_ = std::move(data);
    dataShare_ = std::move(share);
    pixelsShare_ = TBudgetShare();
    pixelBytes_ = pixelBytes;
    libraryBytes_ = libraryBytes;
    copyBytes_ = copyBytes;
    width_ = width;
    height_ = height;
    orientation_ = orientation::FromJpeg(data_.data(), data_.size());
    bitmap_ = TBitmap();
    state_ = TState::Loaded;
    decodeCount_ = 0;
}

int TJPEGImage::Width() const {
    return state_ != TState::Loaded && !bitmap_.empty() ? bitmap_.width() : width_;
}

int TJPEGImage::Height() const {
    return state_ != TState::Loaded && !bitmap_.empty() ? bitmap_.height() : height_;
}

const TBitmap& TJPEGImage::Pixels() {
    if (state_ == TState::Loaded) {
        // Broken until the decode has finished: a failure is reported once
        // and what was decoded by then is kept.
        state_ = TState::Broken;
        ++decodeCount_;
        try {
            if (ahead_) {
                TakeAhead();
            } else {
                TDecodeShares shares = TakeDecodeShares();
                pixelsShare_ = std::move(shares.pixels);
                Decode(data_.data(), data_.size(), bitmap_, nullptr, shares.memoryLimit);
            }
        } catch (const std::bad_alloc&) {
            throw EError(outOfMemoryMessage());
        }
        state_ = TState::Decoded;
    }
    return bitmap_;
}

TJPEGImage::TDecodeShares TJPEGImage::TakeDecodeShares() {
    TDecodeShares shares;
    shares.pixels = Budget().Take(pixelBytes_);
    shares.work = Budget().Take(libraryBytes_);
    // The library may use its estimate and whatever the drawing copy that
    // follows (gray pictures only) leaves over; past that it fails instead
    // of allocating.
    const uint64_t copy = copyBytes_;
    const uint64_t spare = Budget().Available();
    shares.memoryLimit = shares.work.Bytes() + (spare > copy ? spare - copy : 0);
    return shares;
}

TDecodeJob TJPEGImage::DecodeAheadJob() {
    // An empty file fails at once; nothing to gain from doing it ahead.
    if (state_ != TState::Loaded || ahead_ || data_.empty()) return {};
    TDecodeShares shares;
    try {
        // Taken here: the job never touches the budget.
        shares = TakeDecodeShares();
    } catch (const EError&) {
        return {};  // the first draw decodes and reports it
    }
    ahead_.reset(new TAhead);
    TAhead* a = ahead_.get();
    a->shares = std::move(shares);
    // The bytes stay where they are until the job has finished: loading
    // again and destruction wait for it, and moving keeps the buffer.
    const uint8_t* data = data_.data();
    const size_t size = data_.size();
    return TDecodeJob([a, data, size](bool run) {
        if (run) {
            try {
                Decode(data, size, a->bitmap, &a->stop, a->shares.memoryLimit);
            } catch (...) {
                a->error = std::current_exception();
            }
        }
        std::lock_guard guard(a->lock);
        a->ran = run;
        a->finished = true;
        a->done.notify_all();
    });
}

void TJPEGImage::DecodeAhead() {
    TDecodeJob job = DecodeAheadJob();
    if (!job) return;
    try {
        ahead_->thread = std::thread([job = std::move(job)]() mutable { job.Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: the job went unrun and the first draw decodes.
    }
}

void TJPEGImage::TakeAhead() {
    std::unique_ptr<TAhead, TAheadStop> ahead = std::move(ahead_);
    ahead->Wait();
    pixelsShare_ = std::move(ahead->shares.pixels);
    if (!ahead->ran) {
        // The work was dropped unrun: decode now, within the shares it took.
        Decode(data_.data(), data_.size(), bitmap_, nullptr, ahead->shares.memoryLimit);
        return;
    }
    bitmap_ = std::move(ahead->bitmap);
    if (ahead->error) std::rethrow_exception(ahead->error);
}
