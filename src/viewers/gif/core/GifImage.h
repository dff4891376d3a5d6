#pragma once

// C++
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <vector>

// Own
#include "base/Bitmap.h"
#include "base/Colour.h"
#include "base/MemoryBudget.h"

/** A GIF colour table: up to 256 RGB triples as they stand in the file. */
struct ColorTable {
    int32_t count = 0;          ///< valid entries, 0 to 256
    uint8_t entries[256][3]{};  ///< red, green, blue; zero at and beyond count

    /// Entry i as a colour (no range check beyond the 256 held).
    TColor color(int i) const { return RGBColor(entries[i][0], entries[i][1], entries[i][2]); }
};

/** Logical screen data of a GIF, shared between images assigned from one another. */
struct TGIFData {
    std::vector<std::string> Comments;  ///< comments of the run that ends the file
    int GlobalBits = 0;       ///< (flags & 7) + 1: the global table has 2^GlobalBits entries
    ColorTable GlobalColors;  ///< count 0 without a global table
};

/** The encoded data of one frame, shared between images like TGIFData. */
struct TGIFItem {
    /// The code-size byte, the data sub-blocks with their length bytes and
    /// the terminator when the file has one. Empty: no code stream.
    std::vector<uint8_t> CodeStream;
    int PixelBits = 0;  ///< 1 to 8; 0 when the frame has no colour table at all
    uint16_t FrameWidth = 0;
    uint16_t FrameHeight = 0;
    uint8_t DescriptorFlags = 0;
    ColorTable Colors;       ///< the local table, or a copy of the global one
    TBudgetShare CodeShare;  ///< CodeStream's bytes in the loading image's budget
};

/** An extension block kept with a frame (graphic control or comment). */
struct TExtension {
    enum Kinds { GraphicControl, PlainText, Application, Comment };
    Kinds Kind = GraphicControl;
    std::vector<uint8_t> FixedBytes;  ///< fixed part after the label, block size byte first
    std::vector<std::string> Lines;   ///< one per data sub-block
};

class TGIFImage;

/** One frame of a GIF: placement, timing, transparency and its encoded data. */
class TGIFFrame {
public:
    explicit TGIFFrame(TGIFImage* owner);
    /// A copy for another image: the encoded data is shared; the raster is
    /// not copied but decoded again when the copy needs it (the same pixels).
    TGIFFrame(const TGIFFrame& other, TGIFImage* owner);

    TGIFImage* Owner;
    std::shared_ptr<TGIFItem> Item;
    /// The part of the frame on the screen (FrameRasterSize), absent until
    /// decoded; may be given back to the budget and decoded again.
    std::unique_ptr<TBitmap> Raster;
    bool Decoded = false;  ///< decoded at least once (the raster may have been given back)
    std::unique_ptr<std::vector<TExtension>> ExtensionList;  ///< absent when empty
    int32_t OriginX = 0;
    int32_t OriginY = 0;
    bool Interlaced = false;
    bool Damaged = false;
    bool OwnColors = false;
    TColor KeyColor = clNone;
    uint16_t DelayMs = 0;
    uint8_t Disposal = 0;
};

/**
 * A GIF file's frames and logical screen, read by LoadGif. Only frame 0 is
 * decoded while loading; the others are decoded on first use by FrameRaster
 * and their rasters kept.
 *
 * Memory: everything the image holds (the file while it is read, the code
 * streams, the rasters, and the composed picture that TGIFComposer makes
 * of it) is held in the image's budget. A load is refused with the
 * out-of-memory "System Error" text when the logical screen, counted as a
 * 32-bit raster, or the screen with the largest frame's decoding beside it
 * does not fit. Decoded rasters are kept while they fit; when a new one
 * would not, the rasters shown longest ago are given back and decoded again
 * when needed. Frames wholly outside the logical screen are never decoded
 * by the load or the composition.
 */
class TGIFImage {
public:
    TGIFImage();
    ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    /// Takes over another image's content: shared header and items, copied
    /// frames and rasters. Sends the change notification.
    void Assign(const TGIFImage& source);

    /// Opens the file read-only and loads it with frame 0 decoded. Anything
    /// but a regular file fails with "Cannot open file <path>", unread.
    void LoadFromFile(const std::string& path);

    int FrameCount() const { return int(Frames.size()); }
    TGIFFrame& Frame(int i) { return *Frames.at(size_t(i)); }
    const TGIFFrame& Frame(int i) const { return *Frames.at(size_t(i)); }

    /// The frame's raster, decoded on first use; empty without a code stream.
    /// The reference holds until the next FrameRaster call, which may give
    /// this raster back to the budget.
    const TBitmap& FrameRaster(int i);

    /// What this image holds and may hold.
    TMemoryBudget& Budget() { return budget_; }

    bool Empty() const;
    /// Whether any frame has a transparent colour.
    bool Transparent() const;
    /// Size of the current frame once decoded (0 before; a raster given back
    /// to the budget still counts; the part kept may be smaller).
    int Width() const;
    int Height() const;

    std::vector<std::unique_ptr<TGIFFrame>> Frames;
    std::shared_ptr<TGIFData> Header;
    uint8_t Version = 0;  ///< 0 before a header check, 1 for 87a, 2 for 89a
    uint16_t LogicalWidth = 0;
    uint16_t LogicalHeight = 0;
    TColor ScreenBackground = clNone;
    uint16_t LoopCount = 1;
    bool HasLoopBlock = false;
    int32_t CurrentFrame = -1;

    /// Called once at the end of every successful load.
    std::function<void()> OnChange;

    /// Back to the empty state of a new image, without a notification.
    void Reset();

private:
    /// Gives back decoded rasters, those shown longest ago first, until
    /// `needed` bytes are free; never the one being decoded.
    void ReleaseRasters(uint64_t needed);

    TMemoryBudget budget_;
    int pinned_ = -1;         // the frame being decoded
    int lastRequested_ = -1;  // the frame FrameRaster gave out last
};

/// Whether a frame's rectangle meets the logical screen (only such frames
/// are ever drawn).
bool FrameOnScreen(const TGIFImage& image, const TGIFFrame& frame);

/// The size of a frame's raster: the part of the frame on its image's
/// logical screen (origins are never negative, so it starts at the frame's
/// top-left corner). Nothing beyond the screen is ever drawn, so it is not
/// kept: a frame larger than the screen costs no more than the screen.
struct TRasterSize {
    int32_t Width = 0;
    int32_t Height = 0;
};
TRasterSize FrameRasterSize(const TGIFFrame& frame);

/// What decoding a frame takes from its image's budget while it runs: the
/// raster, the work space for the pixels its codes can give and the
/// gathered code bytes.
uint64_t FrameDecodeBytes(const TGIFFrame& frame);

/// Bytes of the composed picture of a logical screen (32 bits a pixel).
uint64_t ScreenBytes(const TGIFImage& image);

/// Replaces the image's content with the GIF in the next byteCount bytes of
/// the source; decodes frame 0 when decodeFirst is set.
void LoadGif(TGIFImage& image, std::istream& source, int64_t byteCount, bool decodeFirst);

/// The same for bytes already in memory.
void LoadGif(TGIFImage& image, const uint8_t* data, size_t size, bool decodeFirst);

/// Decodes the frame's code stream into its Raster (replacing any raster),
/// holding the raster and the work space in the owner's budget. The raster
/// has FrameRasterSize: the part of the frame on the screen.
void DecodeFrame(TGIFFrame& frame);
