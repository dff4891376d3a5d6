#pragma once

#include <cstddef>
#include <cstdint>

/**
 * A source of file bytes read front to back. The BMP reader takes one, so that
 * it reads a file straight into the picture's memory and reads a buffer the
 * same way (tests and the fuzz target).
 */
class TByteStream {
public:
    virtual ~TByteStream() = default;

    /// Bytes not yet read.
    virtual uint64_t Remaining() const = 0;

    /// Copies up to count bytes into dest; returns how many it copied, fewer
    /// only at the end of the data. Throws EError when the system fails.
    virtual size_t Read(void* dest, size_t count) = 0;

    /// Passes over up to count bytes; returns how many it passed.
    virtual uint64_t Skip(uint64_t count) = 0;

    /// Reads exactly count bytes or fails with "Stream read error".
    void ReadBuffer(void* dest, size_t count);

    /// Passes over exactly count bytes or fails with "Stream read error".
    void SkipBuffer(uint64_t count);
};
