// Own
#include "viewers/gif/core/GifImage.h"

#include "base/Error.h"
#include "base/Messages.h"
#include "base/ZeroedArray.h"
#include "viewers/gif/core/Lzw.h"

// C++
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

// Frame decoding: LZW codes to 8-bit indexes, then rows packed into the
// raster's depth in display order.

namespace {

/// Image rows in the order the code stream delivers them.
std::vector<int32_t> rowOrder(int32_t height, bool interlaced) {
    std::vector<int32_t> order;
    order.reserve(size_t(height));
    if (!interlaced) {
        for (int32_t y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    static constexpr int32_t kStart[4] = {0, 4, 2, 1};
    static constexpr int32_t kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int32_t y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
    return order;
}

/// Packs one row of 8-bit indexes into the raster's depth.
void packRow(const uint8_t* in, int32_t width, int depth, uint8_t* out) {
    if (depth == 8) {
        std::memcpy(out, in, size_t(width));
    } else if (depth == 4) {
        int32_t x = 0;
        for (; x + 1 < width; x += 2) *out++ = uint8_t(in[x] << 4 | in[x + 1]);
        if (x < width) *out = uint8_t(in[x] << 4);
    } else {
        int32_t x = 0;
        for (; x + 8 <= width; x += 8, ++out)
            *out = uint8_t(in[x] << 7 | in[x + 1] << 6 | in[x + 2] << 5 | in[x + 3] << 4 |
                           in[x + 4] << 3 | in[x + 5] << 2 | in[x + 6] << 1 | in[x + 7]);
        if (x < width) {
            uint8_t b = 0;
            for (int bit = 7; x < width; ++x, --bit) b = uint8_t(b | in[x] << bit);
            *out = b;
        }
    }
}

/// The LZW bytes of a code stream without its sub-block length bytes,
/// followed by the decoder's zero padding; returns the count without padding.
size_t gatherCodes(const std::vector<uint8_t>& stream, std::vector<uint8_t>& codes) {
    codes.resize(stream.size() + LzwDecoder::kPadding);
    uint8_t* out = codes.data();
    size_t pos = 1;  // after the code-size byte
    while (pos < stream.size()) {
        const size_t length = stream[pos++];
        if (length == 0) break;
        const size_t n = std::min(length, stream.size() - pos);
        std::memcpy(out, stream.data() + pos, n);
        out += n;
        pos += n;
    }
    const size_t size = size_t(out - codes.data());
    std::memset(out, 0, LzwDecoder::kPadding);
    return size;
}

/// Work buffers kept between decodes of one thread, so that animations and
/// repeated pictures do not fault fresh pages in for every frame. Large ones
/// are given back at once; the pixels of a frame larger than what is kept
/// go into lazily zeroed memory, of which only the rows decoded are touched.
struct Scratch {
    static constexpr size_t kKeepBytes = size_t(16) << 20;
    std::vector<uint8_t> codes;
    std::vector<uint8_t> indexes;

    void trim() {
        for (auto* v : {&codes, &indexes})
            if (v->capacity() > kKeepBytes) std::vector<uint8_t>().swap(*v);
    }
};

thread_local Scratch scratch;

/// The raster depth for a frame's colour count; 0 when it has no colours.
int rasterDepth(int pixelBits) {
    if (pixelBits == 1) return 1;
    if (pixelBits >= 2 && pixelBits <= 4) return 4;
    if (pixelBits >= 5 && pixelBits <= 8) return 8;
    return 0;
}

/// Room for the indexes that `codeBytes` of LZW data can give: no more than
/// the frame's pixels, nor than its codes expand to (each code takes at
/// least codeSize + 1 bits and gives at most kMaxExpansion pixels), and a
/// row beyond that, so that the decoding ends where it would with room for
/// the whole frame. A few bytes cannot ask for 256 MiB of work space.
size_t indexRoom(size_t codeBytes, int codeSize, int32_t width, size_t pixels) {
    if (width <= 0 || pixels == 0) return 0;
    const uint64_t codes = uint64_t(codeBytes) * 8 / uint64_t(codeSize + 1);
    const uint64_t reach = TMemoryBudget::Bytes(codes, LzwDecoder::kMaxExpansion);
    if (reach >= pixels) return pixels;
    const uint64_t rows = reach / uint64_t(width) + 2;
    return size_t(std::min<uint64_t>(pixels, rows * uint64_t(width)));
}

}  // namespace

TRasterSize FrameRasterSize(const TGIFFrame& frame) {
    const TGIFItem& item = *frame.Item;
    if (!frame.Owner) return {item.FrameWidth, item.FrameHeight};
    // Origins are never negative: what lies off the screen is on the right
    // and at the bottom.
    const int32_t w =
        std::clamp<int32_t>(frame.Owner->LogicalWidth - frame.OriginX, 0, item.FrameWidth);
    const int32_t h =
        std::clamp<int32_t>(frame.Owner->LogicalHeight - frame.OriginY, 0, item.FrameHeight);
    return w && h ? TRasterSize{w, h} : TRasterSize{0, 0};
}

uint64_t FrameDecodeBytes(const TGIFFrame& frame) {
    const TGIFItem& item = *frame.Item;
    const int depth = rasterDepth(item.PixelBits);
    const size_t pixels = size_t(item.FrameWidth) * item.FrameHeight;
    const int codeSize = item.CodeStream.empty() ? 0 : item.CodeStream[0];
    const size_t room = codeSize >= 2 && codeSize <= 9
                            ? indexRoom(item.CodeStream.size(), codeSize, item.FrameWidth, pixels)
                            : 0;
    const TRasterSize kept = FrameRasterSize(frame);
    return TBitmap::pixelBytes(kept.Width, kept.Height, depth ? uint32_t(depth) : 8) + room +
           item.CodeStream.size() + LzwDecoder::kPadding;
}

namespace {

void decode(TGIFFrame& frame) {
    const TGIFItem& item = *frame.Item;
    const int depth = rasterDepth(item.PixelBits);
    if (depth == 0) throw EError(kGifColorCount);

    const int32_t width = item.FrameWidth;
    const int32_t height = item.FrameHeight;
    // A few bytes of header can ask for 4 GiB: frames above the pixel limit
    // are refused, and of the others only the part on the screen is kept
    // (allocate() holds it in the budget before touching memory).
    if (uint64_t(width) * uint64_t(height) > TBitmap::kMaxPixels)
        throw EError(outOfMemoryMessage());
    TMemoryBudget* budget = frame.Owner ? &frame.Owner->Budget() : nullptr;
    const TRasterSize kept = FrameRasterSize(frame);
    auto raster = std::make_unique<TBitmap>();
    raster->allocate(kept.Width, kept.Height, uint16_t(depth), budget);
    const int entries = 1 << depth;
    raster->palette.resize(size_t(entries));
    for (int i = 0; i < entries; ++i) {
        TRGBQuad& q = raster->palette[size_t(i)];
        if (i < item.Colors.count)
            q = TRGBQuad{item.Colors.entries[i][2], item.Colors.entries[i][1],
                         item.Colors.entries[i][0], 0};
        else
            q = TRGBQuad{128, 128, 128, 128};
    }

    bool damaged = false;
    const std::vector<uint8_t>& stream = item.CodeStream;
    const size_t pixels = size_t(width) * size_t(height);
    if (!stream.empty() && pixels > 0) {
        int codeSize = stream[0];
        if (codeSize < 2 || codeSize > 9) {
            // Decoding would stop at the first data code: the raster stays 0.
            damaged = true;
        } else {
            struct Trim {
                ~Trim() { scratch.trim(); }
            } trim;
            const size_t room = indexRoom(stream.size(), codeSize, width, pixels);
            const TBudgetShare work =
                budget ? budget->Take(room + stream.size() + LzwDecoder::kPadding) : TBudgetShare();
            std::vector<uint8_t>& codes = scratch.codes;
            const size_t size = gatherCodes(stream, codes);
            TZeroedArray<uint8_t> large;
            uint8_t* indexes;
            if (room > Scratch::kKeepBytes) {
                large = TZeroedArray<uint8_t>(room);
                indexes = large.data();
            } else {
                if (scratch.indexes.size() < room) scratch.indexes.resize(room);
                indexes = scratch.indexes.data();
            }
            const uint8_t mask = uint8_t((1u << item.PixelBits) - 1);
            auto decoder = std::make_unique<LzwDecoder>();
            const auto result = decoder->decode(codes.data(), size, codeSize, mask, indexes, room);
            // A code that expanded too far, or data that ran out before the
            // picture was complete: show what came.
            if (result.status != LzwDecoder::Status::Finished) damaged = true;
            const auto order = rowOrder(height, frame.Interlaced);
            // A last row left incomplete is completed with zeros.
            const size_t rows = (result.written + size_t(width) - 1) / size_t(width);
            std::memset(indexes + result.written, 0, rows * size_t(width) - result.written);
            for (size_t r = 0; r < rows; ++r)
                if (order[r] < kept.Height)
                    packRow(indexes + r * size_t(width), kept.Width, depth,
                            raster->scanLine(order[r]));
        }
    }
    frame.Raster = std::move(raster);
    frame.Decoded = true;
    frame.Damaged = frame.Damaged || damaged;
}

}  // namespace

void DecodeFrame(TGIFFrame& frame) {
    try {
        decode(frame);
    } catch (const std::bad_alloc&) {
        throw EError(outOfMemoryMessage());
    }
}
