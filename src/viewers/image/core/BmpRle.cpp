#include "viewers/image/core/BmpRle.h"

// C++
#include <algorithm>
#include <memory>

// Project
#include "base/Bitmap.h"
#include "viewers/image/core/ByteStream.h"

namespace {

// Writes palette colours into rows of a 24-bit picture, clipped to its area.
class TRleCanvas {
public:
    TRleCanvas(TBitmap& out, const std::vector<TRGBQuad>& palette)
        : out_(out), palette_(palette), width_(out.width()), height_(out.height()) {}

    bool Done() const { return y_ >= height_; }
    void Put(unsigned index) {
        if (x_ < width_ && y_ < height_) {
            uint8_t* p = out_.bits().data() + size_t(y_) * out_.stride() + size_t(x_) * 3;
            if (index < palette_.size()) {
                p[0] = palette_[index].blue;
                p[1] = palette_[index].green;
                p[2] = palette_[index].red;
            }
        }
        if (x_ < width_) ++x_;
    }
    void EndOfLine() {
        x_ = 0;
        ++y_;
    }
    void Delta(unsigned dx, unsigned dy) {
        x_ = int32_t(std::min<int64_t>(int64_t(x_) + dx, width_));
        y_ = int32_t(std::min<int64_t>(int64_t(y_) + dy, height_));
    }

private:
    TBitmap& out_;
    const std::vector<TRGBQuad>& palette_;
    int32_t width_;
    int32_t height_;
    int32_t x_ = 0;
    int32_t y_ = 0;  // file row: 0 is the bottom row
};

// The code bytes, pulled from the stream a block at a time.
class TRleCodes {
public:
    TRleCodes(TByteStream& in, uint64_t size) : in_(in), left_(size) {}

    /// The next byte; false at the end of the codes.
    bool Next(unsigned& byte) {
        if (pos_ == end_ && !Fill()) return false;
        byte = block_[pos_++];
        return true;
    }
    /// The next two bytes; false (and nothing taken) when fewer remain.
    bool NextPair(unsigned& first, unsigned& second) {
        if (end_ - pos_ < 2) {
            // Keep the odd byte in front of the next block.
            if (pos_ < end_) block_[0] = block_[pos_];
            end_ -= pos_;
            pos_ = 0;
            if (!Fill()) return false;
            if (end_ < 2) return false;
        }
        first = block_[pos_];
        second = block_[pos_ + 1];
        pos_ += 2;
        return true;
    }

private:
    // Appends the next block after what is unread; false when none came.
    bool Fill() {
        if (pos_ == end_) pos_ = end_ = 0;
        const size_t room = sizeof block_ - end_;
        const size_t want = size_t(std::min<uint64_t>(left_, room));
        if (want == 0) return false;
        const size_t got = in_.Read(block_ + end_, want);
        left_ = got < want ? 0 : left_ - got;
        end_ += got;
        return got > 0;
    }

    TByteStream& in_;
    uint64_t left_;
    uint8_t block_[65536];
    size_t pos_ = 0;
    size_t end_ = 0;
};

}  // namespace

void ExpandBmpRle(TByteStream& in, uint64_t size, int bitsPerIndex,
                  const std::vector<TRGBQuad>& palette, TBitmap& out) {
    const bool fourBit = bitsPerIndex == 4;
    TRleCanvas canvas(out, palette);
    const auto codes = std::make_unique<TRleCodes>(in, size);
    unsigned count = 0, value = 0;
    while (!canvas.Done() && codes->NextPair(count, value)) {
        if (count > 0) {
            // Encoded run: one index, or two alternating 4-bit indexes.
            for (unsigned k = 0; k < count; ++k)
                canvas.Put(fourBit ? ((k & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        switch (value) {
            case 0:
                canvas.EndOfLine();
                break;
            case 1:
                return;
            case 2: {
                unsigned dx = 0, dy = 0;
                if (!codes->NextPair(dx, dy)) return;
                canvas.Delta(dx, dy);
                break;
            }
            default: {
                // Absolute run of `value` indexes, padded to a 16-bit boundary.
                const size_t bytes = fourBit ? (value + 1) / 2 : value;
                unsigned b = 0;
                for (unsigned k = 0; k < value; ++k) {
                    if ((!fourBit || (k & 1) == 0) && !codes->Next(b)) return;
                    canvas.Put(fourBit ? ((k & 1) ? b & 15 : b >> 4) : b);
                }
                if ((bytes & 1) && !codes->Next(b)) return;
                break;
            }
        }
    }
}
