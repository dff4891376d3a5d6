#include "viewers/image/BmpRle.h"

// C++
#include <algorithm>

// Project
#include "viewers/image/Bitmap.h"

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

}  // namespace

void ExpandBmpRle(const uint8_t* data, size_t size, int bitsPerIndex,
                  const std::vector<TRGBQuad>& palette, TBitmap& out) {
    const bool fourBit = bitsPerIndex == 4;
    TRleCanvas canvas(out, palette);
    size_t i = 0;
    while (i + 2 <= size && !canvas.Done()) {
        const unsigned count = data[i];
        const unsigned value = data[i + 1];
        i += 2;
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
            case 2:
                if (i + 2 > size) return;
                canvas.Delta(data[i], data[i + 1]);
                i += 2;
                break;
            default: {
                // Absolute run of `value` indexes, padded to a 16-bit boundary.
                const size_t bytes = fourBit ? (value + 1) / 2 : value;
                const size_t have = std::min(bytes, size - i);
                for (unsigned k = 0; k < value; ++k) {
                    const size_t at = fourBit ? k / 2 : k;
                    if (at >= have) return;
                    const unsigned b = data[i + at];
                    canvas.Put(fourBit ? ((k & 1) ? b & 15 : b >> 4) : b);
                }
                i += bytes + (bytes & 1);
                break;
            }
        }
    }
}
