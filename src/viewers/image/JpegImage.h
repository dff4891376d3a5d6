#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "viewers/image/Bitmap.h"
#include "viewers/image/Graphic.h"

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
 * Decoding: scale 1/1, block smoothing, the floating-point inverse DCT;
 * colour files into 24-bit BGR, gray files through the one-pass quantiser
 * (236 colours, its default dithering) into 8 bits with a gray palette,
 * CMYK and YCCK files converted to their colours in 24 bits.
 *
 * Memory: the file bytes are held in the picture's budget from the load on;
 * loading reads the header and refuses, with the out-of-memory "System
 * Error" text, a picture whose pixels, 32-bit drawing copy and decoding work
 * (the library's whole-picture coefficient buffer for progressive files)
 * would not fit beside them. The decode holds its pixels in the budget and
 * lets the library use no more than what is left.
 */
class TJPEGImage : public TGraphic {
public:
    enum class TState { Loaded, Decoded, Broken };

    void LoadFromFile(const std::string& path) override;
    /// Takes file bytes directly (what LoadFromFile does after reading).
    void LoadFromBytes(std::vector<uint8_t> data);

    int Width() const override;
    int Height() const override;
    const TBitmap& Pixels() override;

    TState State() const { return FState; }
    /// How many decodes this picture has run (0 or 1).
    int DecodeCount() const { return FDecodeCount; }

private:
    void Load(std::vector<uint8_t> data, TBudgetShare share);
    void Decode();

    std::vector<uint8_t> FData;
    TBudgetShare FDataShare;
    int FWidth = 0;
    int FHeight = 0;
    TBitmap FBitmap;
    TState FState = TState::Loaded;
    int FDecodeCount = 0;
};
