#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "viewers/image/core/Graphic.h"

/**
 * A JPEG picture. Loading keeps the whole file and reads only its header;
 * the pixels are decoded at the first draw, once per load.
 *
 * States:
 *  - Loaded:  file bytes and header size kept, no pixels (an empty file is
 *             kept too, 0 x 0, and fails at its first decode);
 *  - Decoded: the pixels are kept and every draw uses them;
 *  - Broken:  the decode failed; the rows decoded before the failure are
 *             kept and drawn, and no further decode is tried.
 * Loaded -> Decoded or Broken happens in Pixels(); nothing leads back.
 *
 * DecodeAhead() runs the same decode on a worker thread from the moment it
 * is called; Pixels() then waits for it and takes its pixels and its failure
 * as its own, so the state, the pixels and the error (thrown from Pixels(),
 * at the first draw) are those of a decode on demand. Loading again,
 * moving from or destroying the picture stops a decode ahead within a few
 * rows. DecodeAheadJob() hands out the same work to run on a thread of the
 * caller's choosing.
 *
 * Decoding: scale 1/1, block smoothing, the floating-point inverse DCT;
 * colour files into 32 bits a pixel (blue, green, red, 0xFF: drawn as they
 * stand, with no copy), gray files through the one-pass quantiser (236
 * colours, its default dithering) into 8 bits with a gray palette, CMYK and
 * YCCK files converted to their colours in 32 bits.
 *
 * Memory: the file bytes are held in the picture's budget from the load on;
 * loading reads the header and refuses, with the out-of-memory "System
 * Error" text, a picture whose pixels, drawing copy (gray only) and decoding work
 * (the library's whole-picture coefficient buffer for progressive files)
 * would not fit beside them. A decode, ahead or on demand, takes its pixels
 * and its work from the budget on the calling thread before it starts, and
 * the library may use no more than that.
 */
class TJPEGImage : public TGraphic {
public:
    enum class TState { Loaded, Decoded, Broken };

    TJPEGImage() = default;
    TJPEGImage(TJPEGImage&&) = default;
    // The bytes that a decode ahead reads must outlive it.
    TJPEGImage& operator=(TJPEGImage&&) = delete;
    ~TJPEGImage() override;

    void LoadFromFile(const std::string& path) override;
    /// Takes file bytes directly (what LoadFromFile does after reading).
    void LoadFromBytes(std::vector<uint8_t> data);

    int Width() const override;
    int Height() const override;
    /// The file's EXIF orientation, read at load (1 without one).
    int Orientation() const override { return orientation_; }
    const TBitmap& Pixels() override;
    void DecodeAhead() override;
    TDecodeJob DecodeAheadJob() override;
    bool ShowsAsLoaded() const override { return state_ != TState::Broken; }

    TState State() const { return state_; }
    /// How many decodes this picture has run (0 or 1).
    int DecodeCount() const { return decodeCount_; }

private:
    struct TAhead;
    /// Stops the decode ahead and waits for its thread.
    struct TAheadStop {
        void operator()(TAhead* ahead) const;
    };

    struct TDecodeShares;
    void Load(std::vector<uint8_t> data, TBudgetShare share);
    /// The budget's shares for a decode, and the library's memory limit.
    TDecodeShares TakeDecodeShares();
    void TakeAhead();

    std::vector<uint8_t> data_;
    TBudgetShare dataShare_;
    TBudgetShare pixelsShare_;   // bitmap_'s bytes
    uint64_t pixelBytes_ = 0;    // what the decode allocates for pixels
    uint64_t libraryBytes_ = 0;  // what the library may need for it
    uint64_t copyBytes_ = 0;     // the drawing copy (gray pictures only)
    int width_ = 0;
    int height_ = 0;
    int orientation_ = 1;
    TBitmap bitmap_;
    TState state_ = TState::Loaded;
    int decodeCount_ = 0;
    // Last: it goes first, before the bytes it reads.
    std::unique_ptr<TAhead, TAheadStop> ahead_;
};
