#pragma once

// C++
#include <cstddef>
#include <cstdint>

/**
 * Decoder for the variable-width LZW code streams of GIF (least significant
 * bit first, 12-bit codes at most). It works on the code bytes alone, with the
 * sub-block length bytes already removed, and writes one 8-bit index per pixel;
 * it knows nothing of frames, rows or colour tables.
 *
 * Tolerances for damaged streams, on purpose:
 * - a stream that does not start with a clear code starts as if it did;
 * - a code above the next free code expands through the table as it stands
 *   (entries never written read as "0 0");
 * - a full table (4096 entries) stops growing until the next clear code;
 * - the pixels are ANDed with the pixel mask, so an index never leaves the
 *   colour table's range.
 */
class LzwDecoder {
public:
    /// How a decode ended.
    enum class Status {
        Finished,   ///< the end code, or the output buffer is full
        Exhausted,  ///< the code bytes ran out first
        TooLong,    ///< a code expanded to more than kMaxExpansion pixels
    };

    struct Result {
        Status status = Status::Finished;
        size_t written = 0;  ///< pixels written from the start of the output
    };

    /// Longest string one code may expand to; longer ones only come from
    /// tables built from garbage.
    static constexpr uint32_t kMaxExpansion = 4096;

    /// Bytes of zero the caller keeps after the code bytes, so that the bit
    /// reader can load eight bytes at any position without a bounds check.
    static constexpr size_t kPadding = 8;

    /// How many bytes past `written` a decode may have overwritten.
    static constexpr size_t kOvershoot = 7;

    /// Decodes codes[0, size) (followed by kPadding readable bytes) with the
    /// given minimum code size (2 to 11) into out[0, outSize). Pixels are
    /// ANDed with pixelMask. Strings are copied eight bytes at a time where
    /// the output has room, so when the decode stops early, up to
    /// kOvershoot bytes past `written` may have been overwritten; nothing at
    /// or past out + outSize ever is.
    Result decode(const uint8_t* codes, size_t size, int codeSize, uint8_t pixelMask, uint8_t* out,
                  size_t outSize);

private:
    static constexpr int kTableSize = 4096;

    // Every string but a root has been written out once already: an entry is
    // where that copy starts and how long it is, so expanding a code is a
    // forward copy from earlier output (overlapping for the KwKwK case).
    // Roots point into rootBytes_, unwritten entries into zeros_.
    const uint8_t* source_[kTableSize];
    uint32_t length_[kTableSize];
    uint8_t rootBytes_[512 + 8];
    uint8_t zeros_[16];
};
