#include "viewers/image/core/JpegDecompressor.h"

// C
#include <csetjmp>
#include <cstdio>

// libjpeg (jpeglib.h needs stdio.h and size_t first)
#include <jerror.h>
#include <jpeglib.h>

// C++
#include <algorithm>
#include <climits>
#include <string>
#include <type_traits>

// Project
#include "base/Error.h"
#include "base/SystemError.h"

namespace {

constexpr size_t kBlockSize = 4096;
// What the library may allocate for itself (whole-image coefficient buffers
// of progressive files). Past it the library has no backing store and fails
// with an error instead of taking all memory.
constexpr long kMaxLibraryMemory = 1L << 30;
const JOCTET kFakeEndOfImage[2] = {0xFF, JPEG_EOI};

// The error manager: the library's standard one with an error exit that
// jumps back to the running step, and warnings and messages dropped.
struct TErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code;
};

// The source manager: the kept file bytes in blocks, then end-of-image markers.
struct TSourceManager {
    jpeg_source_mgr pub;
    const JOCTET* data;
    size_t size;
    size_t pos;
    size_t blocks;
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    err->code = err->pub.msg_code;
    std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<TSourceManager*>(cinfo->src);
    if (src->size == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    if (src->pos >= src->size) {
        // The data ran out: end the picture here. The library's "premature
        // end" warning goes to EmitMessage and is dropped.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->pub.next_input_byte = kFakeEndOfImage;
        src->pub.bytes_in_buffer = sizeof kFakeEndOfImage;
        return TRUE;
    }
    const size_t n = std::min(kBlockSize, src->size - src->pos);
    src->pub.next_input_byte = src->data + src->pos;
    src->pub.bytes_in_buffer = n;
    src->pos += n;
    ++src->blocks;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<TSourceManager*>(cinfo->src);
    if (count <= 0) return;
    size_t left = size_t(count);
    while (left > src->pub.bytes_in_buffer) {
        left -= src->pub.bytes_in_buffer;
        src->pub.bytes_in_buffer = 0;
        if (src->pos >= src->size) {
            // Skipping past the end: what follows is the made-up marker.
            FillInputBuffer(cinfo);
            return;
        }
        FillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += left;
    src->pub.bytes_in_buffer -= left;
}

void TermSource(j_decompress_ptr) {}

}  // namespace

struct TJpegDecompressor::TSession {
    jpeg_decompress_struct cinfo;
    TErrorManager err;
    TSourceManager src;
    bool created;
};

namespace {

// Runs one library step. The setjmp lives here; this function and the steps
// it calls have only trivially destructible locals, so the longjmp from the
// error exit skips no destructor. Returns 0 or the library's message code.
template <class Step>
int Guarded(TErrorManager& err, Step step) {
    static_assert(std::is_trivially_destructible_v<Step>);
    if (setjmp(err.jump)) return err.code;
    step();
    return 0;
}

void ThrowJpegError(int code) {
    // Past its memory limit the library has no backing store to fall back on.
    if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE)
        throw EError(outOfMemoryMessage());
    throw EError("JPEG error #" + std::to_string(code));
}

}  // namespace

TJpegDecompressor::TJpegDecompressor(const uint8_t* data, size_t size)
    : session_(std::make_unique<TSession>()) {
    TSession* s = session_.get();
    s->created = false;
    jpeg_std_error(&s->err.pub);
    s->err.pub.error_exit = ErrorExit;
    s->err.pub.emit_message = EmitMessage;
    s->err.pub.output_message = OutputMessage;
    s->err.code = 0;
    s->cinfo.err = &s->err.pub;

    s->src.data = data;
    s->src.size = size;
    s->src.pos = 0;
    s->src.blocks = 0;
    s->src.pub.init_source = InitSource;
    s->src.pub.fill_input_buffer = FillInputBuffer;
    s->src.pub.skip_input_data = SkipInputData;
    s->src.pub.resync_to_restart = jpeg_resync_to_restart;
    s->src.pub.term_source = TermSource;
    s->src.pub.next_input_byte = nullptr;
    s->src.pub.bytes_in_buffer = 0;

    const int code = Guarded(s->err, [s] {
        jpeg_create_decompress(&s->cinfo);
        s->created = true;
        s->cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
        s->cinfo.src = &s->src.pub;
    });
    if (code) ThrowJpegError(code);
}

TJpegDecompressor::~TJpegDecompressor() {
    if (session_->created) jpeg_destroy_decompress(&session_->cinfo);
}

void TJpegDecompressor::ReadHeader() {
    TSession* s = session_.get();
    const int code = Guarded(s->err, [s] { jpeg_read_header(&s->cinfo, TRUE); });
    if (code) ThrowJpegError(code);
}

void TJpegDecompressor::CalcOutputDimensions() {
    TSession* s = session_.get();
    const int code = Guarded(s->err, [s] { jpeg_calc_output_dimensions(&s->cinfo); });
    if (code) ThrowJpegError(code);
}

void TJpegDecompressor::SetMemoryLimit(uint64_t bytes) {
    session_->cinfo.mem->max_memory_to_use =
        long(std::min<uint64_t>(std::max<uint64_t>(bytes, 1), uint64_t(LONG_MAX)));
}

void TJpegDecompressor::Start() {
    TSession* s = session_.get();
    const int code = Guarded(s->err, [s] { jpeg_start_decompress(&s->cinfo); });
    if (code) ThrowJpegError(code);
}

unsigned TJpegDecompressor::ReadScanLines(uint8_t** rows, unsigned count) {
    TSession* s = session_.get();
    unsigned done = 0;
    unsigned* out = &done;
    const int code = Guarded(s->err, [s, rows, count, out] {
        while (*out < count && s->cinfo.output_scanline < s->cinfo.output_height)
            *out += jpeg_read_scanlines(&s->cinfo, rows + *out, count - *out);
    });
    if (code) ThrowJpegError(code);
    return done;
}

void TJpegDecompressor::Finish() {
    TSession* s = session_.get();
    const int code = Guarded(s->err, [s] { jpeg_finish_decompress(&s->cinfo); });
    if (code) ThrowJpegError(code);
}

jpeg_decompress_struct& TJpegDecompressor::Info() {
    return session_->cinfo;
}

size_t TJpegDecompressor::BlocksDelivered() const {
    return session_->src.blocks;
}
