#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Bitmap.h"

// Builds BMP file bytes field by field, so that tests can make exactly the
// files they need (odd headers, run-length codes, cut-off data).
struct BmpBuilder {
    uint32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;    // written after a 40-byte header, or inside a larger one
    std::vector<TRGBQuad> palette;  // 3 bytes each with a 12-byte header
    std::vector<uint8_t> pixels;
    uint32_t gapBeforePixels = 0;  // bytes between the colour table and the pixels
    uint32_t pixelOffset = 0;      // the file header's offset field (0: the true offset)

    static void Put16(std::vector<uint8_t>& out, uint32_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    }
    static void Put32(std::vector<uint8_t>& out, uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    }

    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> info;
        Put32(info, headerSize);
        if (headerSize == 12) {
            Put16(info, uint32_t(width));
            Put16(info, uint32_t(height));
            Put16(info, planes);
            Put16(info, bits);
        } else {
            Put32(info, uint32_t(width));
            Put32(info, uint32_t(height));
            Put16(info, planes);
            Put16(info, bits);
            Put32(info, compression);
            Put32(info, imageSize);
            Put32(info, 2835);
            Put32(info, 2835);
            Put32(info, colorsUsed);
            Put32(info, 0);
            if (headerSize > 40) {
                for (size_t i = 0; i < 3; ++i) Put32(info, i < masks.size() ? masks[i] : 0);
                while (info.size() < headerSize) info.push_back(0);
                info.resize(headerSize);
            }
        }
        if (headerSize == 40)
            for (uint32_t m : masks) Put32(info, m);
        for (const TRGBQuad& q : palette) {
            info.push_back(q.blue);
            info.push_back(q.green);
            info.push_back(q.red);
            if (headerSize != 12) info.push_back(q.reserved);
        }
        for (uint32_t i = 0; i < gapBeforePixels; ++i) info.push_back(0xEE);
        std::vector<uint8_t> file = {'B', 'M'};
        Put32(file, uint32_t(14 + info.size() + pixels.size()));
        Put32(file, 0);
        Put32(file, pixelOffset ? pixelOffset : uint32_t(14 + info.size()));
        file.insert(file.end(), info.begin(), info.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
};
