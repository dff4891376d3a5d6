#include "viewers/image/core/BmpReader.h"

// C++
#include <algorithm>
#include <array>
#include <climits>
#include <vector>

// Project
#include "base/Bitmap.h"
#include "base/Error.h"
#include "base/MemoryBudget.h"
#include "viewers/image/core/BmpRle.h"
#include "viewers/image/core/ImageFile.h"

namespace {

const char* const kNotValid = "Bitmap image is not valid";

enum TBmpCompression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
// Header sizes from which on the three colour masks are part of the header.
constexpr uint32_t kMaskedHeaderSize = 52;
constexpr size_t kMaxPaletteEntries = 256;

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The fields of the info header that the reader uses.
struct TBmpInfo {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = kRgb;
    uint32_t imageSize = 0;
    uint32_t coloursUsed = 0;
    std::array<uint32_t, 3> masks{};  // red, green, blue
    bool core = false;                // OS/2 header: 3-byte colour entries
};

TBmpInfo ReadInfoHeader(TByteStream& in) {
    uint8_t sizeBytes[4];
    in.ReadBuffer(sizeBytes, 4);
    const uint32_t headerSize = U32(sizeBytes);
    TBmpInfo info;
    if (headerSize == kCoreHeaderSize) {
        uint8_t b[8];
        in.ReadBuffer(b, sizeof b);
        info.core = true;
        info.width = U16(b);
        info.height = U16(b + 2);
        info.planes = U16(b + 4);
        info.bitsPerPixel = U16(b + 6);
        return info;
    }
    // Sizes between the two known layouts leave fields out that are needed.
    if (headerSize < kInfoHeaderSize) throw EError(kNotValid);

    // Only the fields up to the masks are used; the rest is passed over.
    uint8_t b[kMaskedHeaderSize - 4];
    const size_t want = std::min<uint64_t>(headerSize - 4, sizeof b);
    in.ReadBuffer(b, want);
    in.SkipBuffer(headerSize - 4 - want);
    info.width = int32_t(U32(b));
    info.height = int32_t(U32(b + 4));
    info.planes = U16(b + 8);
    info.bitsPerPixel = U16(b + 10);
    info.compression = U32(b + 12);
    info.imageSize = U32(b + 16);
    info.coloursUsed = U32(b + 28);
    if (info.compression == kBitFields) {
        if (headerSize >= kMaskedHeaderSize) {
            info.masks = {U32(b + 36), U32(b + 40), U32(b + 44)};
        } else if (headerSize == kInfoHeaderSize &&
                   (info.bitsPerPixel == 16 || info.bitsPerPixel == 32)) {
            uint8_t m[12];
            in.ReadBuffer(m, sizeof m);
            info.masks = {U32(m), U32(m + 4), U32(m + 8)};
        } else if (headerSize != kInfoHeaderSize) {
            // A header that cut its masks in half: there is nothing to read them from.
            throw EError(kNotValid);
        }
    }
    return info;
}

// Reads the colour table; entries past the 256 a picture can use are skipped.
std::vector<TRGBQuad> ReadColourTable(TByteStream& in, const TBmpInfo& info) {
    uint64_t count = info.coloursUsed;
    if (count == 0 && (info.bitsPerPixel == 1 || info.bitsPerPixel == 4 || info.bitsPerPixel == 8))
        count = uint64_t(1) << info.bitsPerPixel;
    const size_t entrySize = info.core ? 3 : 4;
    const size_t kept = size_t(std::min<uint64_t>(count, kMaxPaletteEntries));
    uint8_t raw[kMaxPaletteEntries * 4];
    in.ReadBuffer(raw, kept * entrySize);
    in.SkipBuffer((count - kept) * entrySize);
    std::vector<TRGBQuad> palette(kept);
    for (size_t i = 0; i < kept; ++i) {
        const uint8_t* e = raw + i * entrySize;
        palette[i] = TRGBQuad{e[0], e[1], e[2], info.core ? uint8_t(0) : e[3]};
    }
    return palette;
}

bool IsRunLength(const TBmpInfo& info) {
    return (info.compression == kRle8 && info.bitsPerPixel == 8) ||
           (info.compression == kRle4 && info.bitsPerPixel == 4);
}

}  // namespace

TBitmap TBmpReader::Read(TByteStream& in, TMemoryBudget* budget) {
    TBitmap bitmap;
    const uint64_t fileSize = in.Remaining();
    if (fileSize == 0) return bitmap;  // an empty file is an empty picture

    uint8_t fileHeader[14];
    in.ReadBuffer(fileHeader, sizeof fileHeader);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') throw EError(kNotValid);

    const TBmpInfo info = ReadInfoHeader(in);
    if (info.planes != 1) throw EError(kNotValid);
    std::vector<TRGBQuad> palette = ReadColourTable(in, info);

    // Writers may leave a gap before the pixels (alignment, a colour profile).
    // An offset that points into the headers or the colour table, or past the
    // end of the file, is taken for a writer's mistake: the pixels then start
    // right after the colour table, as most readers expect.
    const uint64_t tableEnd = fileSize - in.Remaining();
    const uint32_t pixelOffset = U32(fileHeader + 10);
    if (pixelOffset > tableEnd && pixelOffset < fileSize) in.SkipBuffer(pixelOffset - tableEnd);

    // What the picture can be made of: a known depth for its compression, a
    // width and height the system would take (run-length pictures are
    // always stored bottom-up).
    const bool runLength = IsRunLength(info);
    const bool plain =
        info.compression == kRgb ||
        (info.compression == kBitFields && (info.bitsPerPixel == 16 || info.bitsPerPixel == 32));
    if ((!plain && !runLength) || info.width < 0 || info.height == INT32_MIN ||
        (runLength && info.height < 0))
        throw EError(kNotValid);

    const uint64_t rows = uint64_t(info.height < 0 ? -int64_t(info.height) : info.height);
    // No pixels: the same empty picture as an empty file, rather than a
    // picture of zero width and millions of rows that every consumer would
    // walk row by row.
    if (info.width == 0 || rows == 0) return bitmap;
    const uint64_t imageSize =
        info.imageSize ? info.imageSize : TBitmap::stride(info.width, info.bitsPerPixel) * rows;
    const uint64_t available = std::min(imageSize, in.Remaining());

    // The picture is drawn from a 32-bit copy: both must fit, or the file is
    // refused now rather than at its first draw.
    const uint16_t depth = runLength ? 24 : info.bitsPerPixel;
    if (uint64_t(info.width) * rows > TBitmap::kMaxPixels) throw EError(outOfMemoryMessage());
    if (budget)
        budget->Check(TBitmap::pixelBytes(info.width, info.height, depth) +
                      TBitmap::argb32Bytes(info.width, info.height));

    if (runLength) {
        bitmap.allocate(info.width, info.height, 24, budget);
        ExpandBmpRle(in, available, info.bitsPerPixel, palette, bitmap);
    } else {
        bitmap.allocate(info.width, info.height, info.bitsPerPixel, budget);
        if (info.compression == kBitFields) {
            bitmap.redMask = info.masks[0];
            bitmap.greenMask = info.masks[1];
            bitmap.blueMask = info.masks[2];
        }
        // One read straight into the picture; what the file lacks stays zero
        // and is never touched.
        auto& bits = bitmap.bits();
        in.ReadBuffer(bits.data(), size_t(std::min<uint64_t>(available, bits.size())));
    }
    bitmap.palette = std::move(palette);
    return bitmap;
}

TBitmap TBmpReader::ReadFile(const std::string& path, TMemoryBudget* budget) {
    TImageFile file(path);
    return Read(file, budget);
}
