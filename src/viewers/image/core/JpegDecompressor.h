#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct jpeg_decompress_struct;

/**
 * libjpeg's decompressor over a buffer of file bytes, with this program's
 * error manager and source manager. The buffer is handed over in 4096-byte
 * blocks; when it ends before the end-of-image marker the library is given a
 * made-up one and its warning is dropped, so a cut-off file decodes. Every
 * library error becomes EError("JPEG error #<message code>"), except running
 * out of the memory it is allowed (SetMemoryLimit), which gives the
 * out-of-memory "System Error" text like any picture beyond its budget.
 *
 * Each library call runs inside a step function that holds the setjmp and
 * has only trivially destructible locals, so the error exit's longjmp never
 * skips a destructor; the destructor calls jpeg_destroy_decompress on every
 * path.
 */
class TJpegDecompressor {
public:
    /// The buffer must outlive the decompressor.
    TJpegDecompressor(const uint8_t* data, size_t size);
    ~TJpegDecompressor();
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    /// jpeg_read_header, requiring an image.
    void ReadHeader();
    /// jpeg_calc_output_dimensions: the output size for the parameters set.
    void CalcOutputDimensions();
    /// jpeg_start_decompress with the parameters set on Info().
    void Start();
    /// The most the library may allocate for this picture (1 GiB until set).
    void SetMemoryLimit(uint64_t bytes);
    /// Reads up to count scan lines into rows; returns how many it read.
    unsigned ReadScanLines(uint8_t** rows, unsigned count);
    /// jpeg_finish_decompress.
    void Finish();

    jpeg_decompress_struct& Info();

    /// How many blocks the source manager has handed to the library.
    size_t BlocksDelivered() const;

private:
    struct TSession;
    std::unique_ptr<TSession> session_;
};
