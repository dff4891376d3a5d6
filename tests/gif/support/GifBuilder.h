#pragma once

// C++
#include <cstdint>
#include <string>
#include <vector>

/// Test-side LZW encoder for GIF code streams (sub-blocks not added).
/// With initialClear false the stream starts without a clear code; with
/// clearWhenFull false a full table is kept (a "deferred clear").
std::vector<uint8_t> lzwEncode(const std::vector<uint8_t>& pixels, int codeSize,
                               bool initialClear = true, bool clearWhenFull = true);

/// Packs raw codes LSB first, with the widths a decoder expects after each.
std::vector<uint8_t> packCodes(const std::vector<uint32_t>& codes, int codeSize);

/** Builds GIF files byte by byte for tests. */
class GifBuilder {
public:
    std::vector<uint8_t> bytes;

    GifBuilder& raw(std::initializer_list<uint8_t> b);
    GifBuilder& raw(const std::vector<uint8_t>& b);
    GifBuilder& u16(uint16_t v);
    GifBuilder& header(const char* signature = "GIF89a");
    /// Screen descriptor; a global table of `colors` entries (a power of 2) when non-zero.
    GifBuilder& screen(uint16_t w, uint16_t h, int colors = 0, uint8_t background = 0,
                       uint8_t aspect = 0);
    GifBuilder& graphicControl(uint16_t delay, int transparent = -1, int disposal = 0);
    GifBuilder& comment(const std::vector<std::string>& lines);
    GifBuilder& application(const std::string& id, const std::vector<std::string>& blocks);
    GifBuilder& plainText();
    /// Sub-blocks of at most 255 bytes, then the terminator when `terminate`.
    GifBuilder& subBlocks(const std::vector<uint8_t>& data, bool terminate = true);
    /// An image descriptor, an optional local table, then the encoded pixels.
    GifBuilder& frame(uint16_t left, uint16_t top, uint16_t w, uint16_t h,
                      const std::vector<uint8_t>& pixels, int localColors = 0,
                      bool interlaced = false, int codeSize = 0);
    GifBuilder& trailer();

    /// The colour of entry i of the tables this builder writes.
    static uint32_t colorOf(int i);
};
