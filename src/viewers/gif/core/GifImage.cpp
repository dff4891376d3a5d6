// Own
#include "viewers/gif/core/GifImage.h"

#include "base/Error.h"
#include "base/Messages.h"
#include "base/RegularFile.h"
#include "base/SystemError.h"
#include "viewers/gif/core/Lzw.h"

// C++
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr uint8_t kImageSeparator = 0x2C;       // ','
constexpr uint8_t kTrailer = 0x3B;              // ';'

constexpr uint8_t kLabelGraphicControl = 0xF9;
constexpr uint8_t kLabelComment = 0xFE;
constexpr uint8_t kLabelPlainText = 0x01;
constexpr uint8_t kLabelApplication = 0xFF;

// Looping blocks carry at most this many repetitions; larger counts are
// taken as this one.
constexpr uint16_t kMaxLoopCount = 30000;

[[noreturn]] void streamReadError() {
    throw EError(kStreamReadError);
}

/** Cursor over the whole file held in memory. */
struct Source {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    bool atEnd() const { return pos >= size; }
    size_t left() const { return size - pos; }

    /// Copies up to n bytes; returns how many there were.
    size_t read(void* out, size_t n) {
        n = std::min(n, left());
        if (n) std::memcpy(out, data + pos, n);
        pos += n;
        return n;
    }
    /// Exactly n bytes or "Stream read error".
    void readExact(void* out, size_t n) {
        if (left() < n) streamReadError();
        read(out, n);
    }
    /// The next byte other than 0; 0 when only zeros remain.
    uint8_t nextNonZero() {
        while (pos < size) {
            const uint8_t b = data[pos++];
            if (b != 0) return b;
        }
        return 0;
    }
    /// Data sub-blocks as lines, up to the terminator or the end of the data.
    std::vector<std::string> readSubBlocks() {
        std::vector<std::string> lines;
        while (!atEnd()) {
            const uint8_t length = data[pos++];
            if (length == 0) break;
            const size_t n = std::min<size_t>(length, left());
            lines.emplace_back(reinterpret_cast<const char*>(data + pos), n);
            pos += n;
        }
        return lines;
    }
};

uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

bool equalsIgnoringCase(const uint8_t* bytes, const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        uint8_t c = bytes[i];
        if (c >= 'a' && c <= 'z') c = uint8_t(c - 'a' + 'A');
        uint8_t t = uint8_t(text[i]);
        if (t >= 'a' && t <= 'z') t = uint8_t(t - 'a' + 'A');
        if (c != t) return false;
    }
    return true;
}

/// The number of entries of a table given as 2^bits, read from the source.
/// Partial tables are kept only when `exact` is false.
void readColorTable(Source& in, ColorTable& table, int bits, bool exact) {
    table = ColorTable();
    table.count = 1 << bits;
    const size_t bytes = size_t(table.count) * 3;
    if (exact)
        in.readExact(table.entries, bytes);
    else
        in.read(table.entries, bytes);
}

bool isLoopingBlock(const TExtension& ext) {
    const size_t compared = std::min<size_t>(ext.FixedBytes[0], 11);
    const uint8_t* id = ext.FixedBytes.data() + 1;
    const bool named = std::memcmp(id, "NETSCAPE2.0", compared) == 0 ||
                       std::memcmp(id, "ANIMEXTS1.0", compared) == 0;
    return named && !ext.Lines.empty() && ext.Lines[0].size() >= 3 && ext.Lines[0][0] == 1;
}

/// Reads extensions while the introducer is '!'; leaves the next introducer.
std::unique_ptr<std::vector<TExtension>> readExtensionRun(Source& in, uint8_t& introducer,
                                                          TGIFImage& image) {
    auto run = std::make_unique<std::vector<TExtension>>();
    while (introducer == kExtensionIntroducer) {
        // A '!' that is the file's last byte starts nothing: the data ends
        // here, as it does when that byte follows a frame or the screen.
        if (in.atEnd()) {
            introducer = kTrailer;
            break;
        }
        uint8_t label = 0;
        in.read(&label, 1);
        TExtension ext;
        size_t fixed = 0;
        switch (label) {
            case kLabelGraphicControl:
                ext.Kind = TExtension::GraphicControl;
                fixed = 6;
                break;
            case kLabelComment:
                ext.Kind = TExtension::Comment;
                break;
            case kLabelPlainText:
                ext.Kind = TExtension::PlainText;
                fixed = 13;
                break;
            case kLabelApplication:
                ext.Kind = TExtension::Application;
                fixed = 12;
                break;
            default: {
                char message[64];
                std::snprintf(message, sizeof message, "Unrecognized extension block: %.2X", label);
                throw EError(message);
            }
        }
        // An extension cut short by the end of the file keeps what is there;
        // the run then ends at the end of the data.
        ext.FixedBytes.assign(fixed, 0);
        in.read(ext.FixedBytes.data(), fixed);
        if (ext.Kind != TExtension::GraphicControl) ext.Lines = in.readSubBlocks();

        if (ext.Kind == TExtension::PlainText) {
            run->clear();
        } else if (ext.Kind == TExtension::Application) {
            if (isLoopingBlock(ext)) {
                image.HasLoopBlock = true;
                const auto* b = reinterpret_cast<const uint8_t*>(ext.Lines[0].data());
                image.LoopCount = std::min(le16(b + 1), kMaxLoopCount);
            }
        } else {
            run->push_back(std::move(ext));
        }
        introducer = in.atEnd() ? kTrailer : in.nextNonZero();
    }
    if (run->empty()) run.reset();
    return run;
}

/// Reads a frame after its ',' introducer.
void readFrame(Source& in, TGIFFrame& frame, TGIFImage& image) {
    TGIFItem& item = *frame.Item;
    try {
        uint8_t d[9];
        in.readExact(d, sizeof d);
        const uint8_t flags = d[8];
        frame.Interlaced = (flags & 0x40) != 0;
        if (flags & 0x80) {
            item.PixelBits = (flags & 7) + 1;
            frame.OwnColors = true;
            readColorTable(in, item.Colors, item.PixelBits, true);
        } else {
            item.Colors = ColorTable();
            frame.OwnColors = false;
        }

        // The code stream as it stands: code size, sub-blocks, terminator.
        uint8_t codeSize;
        in.readExact(&codeSize, 1);
        const size_t start = in.pos - 1;
        while (!in.atEnd()) {
            const uint8_t length = in.data[in.pos];
            if (size_t(length) + 1 > in.left()) {
                // A sub-block cut short by the end of the file: dropped whole.
                frame.Damaged = true;
                break;
            }
            in.pos += size_t(length) + 1;
            if (length == 0) break;
        }
        item.CodeShare = image.Budget().Take(in.pos - start);
        item.CodeStream.assign(in.data + start, in.data + in.pos);
        if (frame.Damaged) in.pos = in.size;

        const uint16_t width = le16(d + 4);
        const uint16_t height = le16(d + 6);
        item.FrameWidth = width ? width : image.LogicalWidth;
        item.FrameHeight = height ? height : image.LogicalHeight;
        frame.OriginX = le16(d);
        frame.OriginY = le16(d + 2);
        item.DescriptorFlags = flags;
        if (!frame.OwnColors) item.Colors = image.Header->GlobalColors;

        frame.DelayMs = 0;
        if (frame.ExtensionList) {
            for (const TExtension& ext : *frame.ExtensionList) {
                if (ext.Kind != TExtension::GraphicControl) continue;
                const uint8_t* g = ext.FixedBytes.data();
                if (g[1] & 1) {
                    if (g[4] < item.Colors.count) frame.KeyColor = item.Colors.color(g[4]);
                } else {
                    frame.KeyColor = clNone;
                }
                // Hundredths of a second, kept in 16 bits like the field it came from.
                frame.DelayMs = uint16_t(std::max<uint32_t>(le16(g + 2) * 10u, frame.DelayMs));
                frame.Disposal = (g[1] >> 2) & 7;
            }
        }
    } catch (...) {
        item.CodeStream.clear();
        item.CodeStream.shrink_to_fit();
        item.CodeShare.Release();
        throw;
    }
}

/// The logical screen counts as a raster: the composed picture of a frame
/// is one of its size, 32 bits a pixel.
void checkScreen(TGIFImage& image) {
    if (uint64_t(image.LogicalWidth) * image.LogicalHeight > TBitmap::kMaxPixels)
        throw EError(outOfMemoryMessage());
    image.Budget().Check(ScreenBytes(image));
}

/// The screen and the costliest frame to decode must fit beside what the
/// load holds; decoded rasters do not count, as they are given back when
/// another frame needs the room.
void checkFrames(TGIFImage& image) {
    uint64_t largest = 0, rasters = 0;
    for (const auto& frame : image.Frames) {
        if (FrameOnScreen(image, *frame)) largest = std::max(largest, FrameDecodeBytes(*frame));
        if (frame->Raster) rasters += frame->Raster->bits().size();
    }
    const uint64_t screen = ScreenBytes(image);
    const uint64_t need = largest > UINT64_MAX - screen ? UINT64_MAX : screen + largest;
    if (need > image.Budget().Available() + rasters) throw EError(outOfMemoryMessage());
}

/// Fails as decoding would for a frame that has no colours at all, without
/// decoding it.
void checkColors(const TGIFFrame& frame) {
    if (frame.Item->PixelBits < 1 || frame.Item->PixelBits > 8) throw EError(kGifColorCount);
}

void appendComments(TGIFData& header, const std::vector<TExtension>& run) {
    for (const TExtension& ext : run) {
        if (ext.Kind != TExtension::Comment) continue;
        if (!header.Comments.empty()) header.Comments.emplace_back("\r\n\r\n");
        header.Comments.insert(header.Comments.end(), ext.Lines.begin(), ext.Lines.end());
    }
}

void parse(TGIFImage& image, const uint8_t* data, size_t size, bool decodeFirst) {
    Source in{data, size};
    if (size > 0) {
        uint8_t signature[6] = {};
        in.read(signature, 6);
        if (!equalsIgnoringCase(signature, "GIF", 3)) throw EError(kUnknownGifVersion);
        if (equalsIgnoringCase(signature + 3, "87a", 3))
            image.Version = 1;
        else if (equalsIgnoringCase(signature + 3, "89a", 3))
            image.Version = 2;
        else
            throw EError(kUnknownGifVersion);

        // A screen descriptor or global table cut short gives an empty image.
        uint8_t s[7] = {};
        in.read(s, sizeof s);
        TGIFData& header = *image.Header;
        image.LogicalWidth = le16(s);
        image.LogicalHeight = le16(s + 2);
        header.GlobalBits = (s[4] & 7) + 1;
        if (s[4] & 0x80) {
            readColorTable(in, header.GlobalColors, header.GlobalBits, false);
            if (s[5] < header.GlobalColors.count)
                image.ScreenBackground = header.GlobalColors.color(s[5]);
        }

        uint8_t introducer = in.nextNonZero();
        while (introducer != 0 && introducer != kTrailer && !in.atEnd()) {
            auto run = readExtensionRun(in, introducer, image);
            if (introducer == kImageSeparator) {
                if (image.Frames.empty()) checkScreen(image);
                auto frame = std::make_unique<TGIFFrame>(&image);
                const int globalCount = header.GlobalColors.count;
                if (globalCount > 0) {
                    int bits = 1;
                    while ((1 << bits) < globalCount) ++bits;
                    frame->Item->PixelBits = bits;
                }
                frame->ExtensionList = std::move(run);
                readFrame(in, *frame, image);
                image.Frames.push_back(std::move(frame));
                if (in.atEnd()) {
                    introducer = kTrailer;
                } else {
                    introducer = in.nextNonZero();
                    // Anything but another block after a frame ends the file quietly.
                    if (introducer != kExtensionIntroducer && introducer != kImageSeparator &&
                        introducer != kTrailer)
                        introducer = 0;
                }
            } else if (header.Comments.empty() && run) {
                appendComments(header, *run);
            } else if (introducer != 0 && introducer != kTrailer) {
                streamReadError();
            }
        }
    }

    if (!image.Frames.empty()) {
        image.CurrentFrame = 0;
        if (decodeFirst) {
            try {
                // A frame off the screen is never drawn: only what decoding
                // it would report about its colours is checked.
                if (FrameOnScreen(image, *image.Frames[0]))
                    image.FrameRaster(0);
                else
                    checkColors(*image.Frames[0]);
            } catch (...) {
                image.Frames.erase(image.Frames.begin());
                throw;
            }
            // A file that is to be shown is refused now if showing it cannot
            // fit, not at a later frame.
            try {
                checkFrames(image);
            } catch (...) {
                image.CurrentFrame = -1;
                throw;
            }
        }
    }
    if (image.OnChange) image.OnChange();
}

/// Reads exactly byteCount bytes through `read` (which returns 0 at the end)
/// without trusting byteCount for the allocation; `share` holds the buffer
/// in the budget, taken a block ahead of the reading.
template <typename ReadFn>
std::vector<uint8_t> readAll(int64_t byteCount, TMemoryBudget& budget, TBudgetShare& share,
                             ReadFn read) {
    std::vector<uint8_t> buffer;
    if (byteCount <= 0) return buffer;
    const size_t total = size_t(byteCount);
    size_t have = 0;
    while (have < total) {
        const size_t chunk = std::min<size_t>(total - have, size_t(1) << 24);
        share.Release();
        share = budget.Take(have + chunk);
        buffer.resize(have + chunk);
        const size_t got = read(buffer.data() + have, chunk);
        if (got == 0) streamReadError();
        have += got;
        buffer.resize(have);
    }
    return buffer;
}

}  // namespace

TGIFFrame::TGIFFrame(TGIFImage* owner) : Owner(owner), Item(std::make_shared<TGIFItem>()) {}

TGIFFrame::TGIFFrame(const TGIFFrame& other, TGIFImage* owner)
    : Owner(owner),
      Item(other.Item),
      Decoded(other.Decoded),
      ExtensionList(other.ExtensionList
                        ? std::make_unique<std::vector<TExtension>>(*other.ExtensionList)
                        : nullptr),
      OriginX(other.OriginX),
      OriginY(other.OriginY),
      Interlaced(other.Interlaced),
      Damaged(other.Damaged),
      OwnColors(other.OwnColors),
      KeyColor(other.KeyColor),
      DelayMs(other.DelayMs),
      Disposal(other.Disposal) {}

TGIFImage::TGIFImage() {
    Reset();
    budget_.SetReclaimer([this](uint64_t needed) { ReleaseRasters(needed); });
}

TGIFImage::~TGIFImage() = default;

void TGIFImage::Reset() {
    Header = std::make_shared<TGIFData>();
    Frames.clear();
    pinned_ = -1;
    lastRequested_ = -1;
    CurrentFrame = -1;
    ScreenBackground = clNone;
    LoopCount = 1;
    HasLoopBlock = false;
    Version = 0;
    LogicalWidth = 0;
    LogicalHeight = 0;
}

void TGIFImage::Assign(const TGIFImage& source) {
    if (&source == this) return;
    Header = source.Header;
    Frames.clear();
    for (const auto& frame : source.Frames)
        Frames.push_back(std::make_unique<TGIFFrame>(*frame, this));
    Version = source.Version;
    LogicalWidth = source.LogicalWidth;
    LogicalHeight = source.LogicalHeight;
    ScreenBackground = source.ScreenBackground;
    LoopCount = source.LoopCount;
    HasLoopBlock = source.HasLoopBlock;
    CurrentFrame = source.CurrentFrame;
    if (OnChange) OnChange();
}

void TGIFImage::LoadFromFile(const std::string& path) {
    TRegularFile file(path);  // fails before anything is reset
    if (file.Size() > TRegularFile::kMaxWholeFileBytes) throw EError(outOfMemoryMessage());
    Reset();
    TBudgetShare held;
    const auto bytes =
        readAll(int64_t(file.Size()), budget_, held, [&file](uint8_t* out, size_t n) -> size_t {
            size_t done = 0;
            return file.Read(out, n, &done) ? done : 0;
        });
    parse(*this, bytes.data(), bytes.size(), true);
}

const TBitmap& TGIFImage::FrameRaster(int i) {
    TGIFFrame& frame = Frame(i);
    lastRequested_ = i;
    if (!frame.Raster) {
        if (frame.Item->CodeStream.empty()) {
            static const TBitmap none;
            return none;
        }
        struct Pin {
            int& pinned;
            int previous;
            ~Pin() { pinned = previous; }
        } pin{pinned_, pinned_};
        pinned_ = i;
        DecodeFrame(frame);
    }
    return *frame.Raster;
}

void TGIFImage::ReleaseRasters(uint64_t needed) {
    const int count = FrameCount();
    if (count == 0) return;
    const int from = lastRequested_ >= 0 && lastRequested_ < count ? lastRequested_ : 0;
    // An animation runs forwards and round: the frame before the last one
    // asked for is needed again last, the one after it first.
    uint64_t freed = 0;
    for (int distance = count - 1; distance >= 1 && freed < needed; --distance) {
        const int j = (from + distance) % count;
        std::unique_ptr<TBitmap>& raster = Frames[size_t(j)]->Raster;
        if (j == pinned_ || !raster) continue;
        freed += raster->bits().size();
        raster.reset();
    }
}

bool TGIFImage::Empty() const {
    const size_t index = size_t(std::max(CurrentFrame, 0));
    if (index >= Frames.size()) return true;
    const TGIFFrame* frame = Frames[index].get();
    if (frame->Raster) return false;
    return frame->Item->CodeStream.empty();
}

bool TGIFImage::Transparent() const {
    return std::any_of(Frames.begin(), Frames.end(),
                       [](const auto& f) { return f->KeyColor != clNone; });
}

int TGIFImage::Width() const {
    if (CurrentFrame < 0 || CurrentFrame >= FrameCount()) return 0;
    const TGIFFrame& frame = *Frames[size_t(CurrentFrame)];
    return frame.Decoded ? frame.Item->FrameWidth : 0;
}

int TGIFImage::Height() const {
    if (CurrentFrame < 0 || CurrentFrame >= FrameCount()) return 0;
    const TGIFFrame& frame = *Frames[size_t(CurrentFrame)];
    return frame.Decoded ? frame.Item->FrameHeight : 0;
}

void LoadGif(TGIFImage& image, std::istream& source, int64_t byteCount, bool decodeFirst) {
    image.Reset();
    TBudgetShare held;
    const auto bytes =
        readAll(byteCount, image.Budget(), held, [&source](uint8_t* out, size_t n) -> size_t {
            source.read(reinterpret_cast<char*>(out), std::streamsize(n));
            return size_t(source.gcount());
        });
    parse(image, bytes.data(), bytes.size(), decodeFirst);
}

bool FrameOnScreen(const TGIFImage& image, const TGIFFrame& frame) {
    const TGIFItem& item = *frame.Item;
    return frame.OriginX < image.LogicalWidth && frame.OriginY < image.LogicalHeight &&
           item.FrameWidth > 0 && item.FrameHeight > 0 && frame.OriginX + item.FrameWidth > 0 &&
           frame.OriginY + item.FrameHeight > 0;
}

uint64_t ScreenBytes(const TGIFImage& image) {
    return TMemoryBudget::Bytes(image.LogicalWidth, image.LogicalHeight, 4);
}

void LoadGif(TGIFImage& image, const uint8_t* data, size_t size, bool decodeFirst) {
    image.Reset();
    parse(image, data, size, decodeFirst);
}
