#include "viewers/image/JpegImage.h"

// C
#include <cstdio>

// libjpeg
#include <jpeglib.h>

// C++
#include <algorithm>
#include <cerrno>
#include <new>

// Project
#include "base/Error.h"
#include "viewers/image/ImageFile.h"
#include "viewers/image/JpegDecompressor.h"

namespace {

constexpr int kGrayColours = 236;
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

// Everything a decode and its first draw need beside the file bytes.
uint64_t DecodeBytes(jpeg_decompress_struct& info) {
    const uint64_t w = info.image_width, h = info.image_height;
    return TBitmap::pixelBytes(int64_t(w), int64_t(h), GrayOutput(info) ? 8 : 24) +
           TBitmap::argb32Bytes(int64_t(w), int64_t(h)) + LibraryBytes(info);
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
            info.desired_number_of_colors = kGrayColours;
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
            // BGR is the 24-bit picture's own byte order: rows go straight in.
            info.out_color_space = JCS_EXT_BGR;
            info.quantize_colors = FALSE;
            break;
    }
}

// CMYK to BGR. Files with an Adobe marker store the inks inverted.
void CmykRowToBgr(const uint8_t* in, uint8_t* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[0] = uint8_t((y * k + 127) / 255);
        out[1] = uint8_t((m * k + 127) / 255);
        out[2] = uint8_t((c * k + 127) / 255);
    }
}

}  // namespace

void TJPEGImage::LoadFromFile(const std::string& path) {
    TBudgetShare share;
    std::vector<uint8_t> data = TImageFile::ReadAll(path, &Budget(), &share);
    Load(std::move(data), std::move(share));
}

void TJPEGImage::LoadFromBytes(std::vector<uint8_t> data) {
    TBudgetShare share = Budget().Take(data.size());
    Load(std::move(data), std::move(share));
}

void TJPEGImage::Load(std::vector<uint8_t> data, TBudgetShare share) {
    int width = 0, height = 0;
    if (!data.empty()) {
        TJpegDecompressor decompressor(data.data(), data.size());
        decompressor.ReadHeader();
        width = int(decompressor.Info().image_width);
        height = int(decompressor.Info().image_height);
        CheckPixelLimit(decompressor.Info().image_width, decompressor.Info().image_height);
        // The previous content goes with this load: only the new one counts.
        const uint64_t previous = FDataShare.Bytes() + FBitmap.bits().size();
        if (DecodeBytes(decompressor.Info()) > Budget().Available() + previous)
            throw EError(outOfMemoryMessage());
    }
    FData = std::move(data);
    FDataShare = std::move(share);
    FWidth = width;
    FHeight = height;
    FBitmap = TBitmap();
    FState = TState::Loaded;
    FDecodeCount = 0;
}

int TJPEGImage::Width() const {
    return FState != TState::Loaded && !FBitmap.empty() ? FBitmap.width() : FWidth;
}

int TJPEGImage::Height() const {
    return FState != TState::Loaded && !FBitmap.empty() ? FBitmap.height() : FHeight;
}

const TBitmap& TJPEGImage::Pixels() {
    if (FState == TState::Loaded) {
        // Broken until the decode has finished: a failure is reported once
        // and what was decoded by then is kept.
        FState = TState::Broken;
        ++FDecodeCount;
        try {
            Decode();
        } catch (const std::bad_alloc&) {
            throw EError(outOfMemoryMessage());
        }
        FState = TState::Decoded;
    }
    return FBitmap;
}

void TJPEGImage::Decode() {
    TJpegDecompressor decompressor(FData.data(), FData.size());
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
    FBitmap.allocate(width, -height, gray ? 8 : 24, &Budget());
    // The library may use its estimate and whatever the drawing copy that
    // follows leaves over; past that it fails instead of allocating.
    const TBudgetShare work = Budget().Take(LibraryBytes(info));
    const uint64_t copy = TBitmap::argb32Bytes(width, height);
    const uint64_t spare = Budget().Available();
    decompressor.SetMemoryLimit(work.Bytes() + (spare > copy ? spare - copy : 0));
    try {
        decompressor.Start();
    } catch (...) {
        FBitmap = TBitmap();  // not a row was decoded: there is nothing to draw
        throw;
    }
    if (gray) {
        const int colours = info.actual_number_of_colors;
        FBitmap.palette.resize(size_t(colours));
        for (int i = 0; i < colours; ++i) {
            const uint8_t v = info.colormap[0][i];
            FBitmap.palette[size_t(i)] = TRGBQuad{v, v, v, 0};
        }
    }

    if (info.out_color_space == JCS_CMYK) {
        std::vector<uint8_t> cmyk(size_t(width) * 4);
        uint8_t* row = cmyk.data();
        for (int y = 0; y < height; ++y) {
            decompressor.ReadScanLines(&row, 1);
            CmykRowToBgr(row, FBitmap.scanLine(y), width, info.saw_Adobe_marker);
        }
    } else {
        uint8_t* rows[kRowsPerRead];
        for (int y = 0; y < height;) {
            const unsigned count = unsigned(std::min<int>(kRowsPerRead, height - y));
            for (unsigned i = 0; i < count; ++i) rows[i] = FBitmap.scanLine(y + int(i));
            y += int(decompressor.ReadScanLines(rows, count));
        }
    }
    decompressor.Finish();
}
