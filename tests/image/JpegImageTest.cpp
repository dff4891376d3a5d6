// Tests
#include <gtest/gtest.h>

// C
#include <cstdio>

// libjpeg
#include <jerror.h>
#include <jpeglib.h>

// C++
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

// Project
#include "BmpBuilder.h"
#include "ImageTestSupport.h"
#include "viewers/image/BmpReader.h"
#include "viewers/image/JpegImage.h"

namespace {

std::string JpegError(int code) {
    return "JPEG error #" + std::to_string(code);
}

TJPEGImage Loaded(const std::vector<uint8_t>& bytes) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(bytes);
    return jpeg;
}

// Encodes a picture with libjpeg, pixel (x, y) given by colour(x, y) as
// components in the input colour space.
template <class Colour>
std::vector<uint8_t> Encode(int width, int height, int components, J_COLOR_SPACE space,
                            Colour colour, J_COLOR_SPACE stored, bool adobeMarker) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_set_colorspace(&c, stored);
    c.write_Adobe_marker = adobeMarker;
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(width * components));
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < width; ++x)
            colour(x, int(c.next_scanline), &row[size_t(x * components)]);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    std::free(out);
    return bytes;
}

TEST(JpegImage, LoadReadsOnlyTheHeader) {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Wuffs("harvesters.jpeg"));
    EXPECT_EQ(jpeg.Width(), 1165);
    EXPECT_EQ(jpeg.Height(), 859);
    EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Loaded);
    EXPECT_EQ(jpeg.DecodeCount(), 0);
}

TEST(JpegImage, DecodesOnceIntoTwentyFourBitsTopDown) {
    TJPEGImage jpeg = Loaded(ReadTestFile(Wuffs("hat.jpeg")));
    const TBitmap& first = jpeg.Pixels();
    EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Decoded);
    EXPECT_EQ(first.bitsPerPixel(), 24);
    EXPECT_TRUE(first.topDown());
    EXPECT_EQ(first.width(), 90);
    EXPECT_EQ(first.height(), 112);
    const TBitmap& again = jpeg.Pixels();
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(jpeg.DecodeCount(), 1);
}

TEST(JpegImage, ColourFilesMatchTheirBmpTwins) {
    for (const char* name : {"bricks-color", "harvesters", "hat", "hibiscus.regular",
                             "hibiscus.primitive", "hippopotamus", "pjw-thumbnail"}) {
        SCOPED_TRACE(name);
        TJPEGImage jpeg = Loaded(ReadTestFile(Wuffs(std::string(name) + ".jpeg")));
        const TBitmap bmp = TBmpReader::ReadFile(Wuffs(std::string(name) + ".bmp"));
        // The twins come from another decoder (other upsampling and rounding);
        // a flipped picture or swapped channels differ far more.
        const PixelDifference d = Compare(jpeg.Pixels(), bmp);
        EXPECT_LT(d.mean, 8.0);
    }
}

TEST(JpegImage, GrayFilesAreQuantisedToAGrayPalette) {
    TJPEGImage jpeg = Loaded(ReadTestFile(Wuffs("bricks-gray.jpeg")));
    const TBitmap& px = jpeg.Pixels();
    EXPECT_EQ(px.bitsPerPixel(), 8);
    ASSERT_GT(px.palette.size(), 1u);
    EXPECT_LE(px.palette.size(), 236u);
    for (const TRGBQuad& q : px.palette) {
        EXPECT_EQ(q.red, q.green);
        EXPECT_EQ(q.green, q.blue);
    }
    const PixelDifference d = Compare(px, TBmpReader::ReadFile(Wuffs("bricks-gray.bmp")));
    EXPECT_LT(d.mean, 4.0);
}

TEST(JpegImage, OddSubsamplingsAndProgressiveMatchTheBaseline) {
    TJPEGImage reference = Loaded(ReadTestFile(Wuffs("peacock.s1x1-444.jpeg")));
    for (const char* name :
         {"peacock.default.jpeg", "peacock.optimize.jpeg", "peacock.progressive.jpeg",
          "peacock.s-very-weird.jpeg", "peacock.s-weird.jpeg", "peacock.s1x3.jpeg",
          "peacock.s2x1-422.jpeg", "peacock.s2x2-420.jpeg", "peacock.q99.jpeg"}) {
        SCOPED_TRACE(name);
        TJPEGImage jpeg = Loaded(ReadTestFile(Wuffs(name)));
        EXPECT_LT(Compare(jpeg.Pixels(), reference.Pixels()).mean, 12.0);
        EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Decoded);
    }
}

TEST(JpegImage, TruncatedFilesDecodeWithoutAnError) {
    for (const char* name : {"peacock.default.truncated.jpeg", "peacock.progressive.truncated.jpeg",
                             "peacock.progressive.scan003.jpeg"}) {
        SCOPED_TRACE(name);
        TJPEGImage jpeg = Loaded(ReadTestFile(Wuffs(name)));
        EXPECT_EQ(MessageOf([&] { jpeg.Pixels(); }), "<no error>");
        EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Decoded);
        EXPECT_EQ(jpeg.Width(), 100);
        EXPECT_EQ(jpeg.Height(), 75);
    }
    // Cut in the middle of a bigger file: the top is the picture, the rest filled in.
    std::vector<uint8_t> bytes = ReadTestFile(Wuffs("harvesters.jpeg"));
    bytes.resize(bytes.size() / 2);
    TJPEGImage cut = Loaded(bytes);
    TJPEGImage whole = Loaded(ReadTestFile(Wuffs("harvesters.jpeg")));
    const TBitmap& a = cut.Pixels();
    const TBitmap& b = whole.Pixels();
    EXPECT_EQ(0, std::memcmp(a.scanLine(10), b.scanLine(10), a.stride()));
}

TEST(JpegImage, EmptyFileFailsAtItsFirstDecodeOnly) {
    TJPEGImage jpeg = Loaded({});
    EXPECT_EQ(jpeg.Width(), 0);
    EXPECT_EQ(jpeg.Height(), 0);
    EXPECT_EQ(MessageOf([&] { jpeg.Pixels(); }), JpegError(JERR_INPUT_EMPTY));
    EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Broken);
    EXPECT_EQ(MessageOf([&] { jpeg.Pixels(); }), "<no error>");
    EXPECT_EQ(jpeg.DecodeCount(), 1);
}

TEST(JpegImage, HeaderFailuresAtLoad) {
    const std::string text = "This is a text file, not a picture.\n";
    EXPECT_EQ(MessageOf([&] { Loaded(std::vector<uint8_t>(text.begin(), text.end())); }),
              JpegError(JERR_NO_SOI));
    // A start-of-image marker and nothing else: no picture in the stream.
    EXPECT_EQ(MessageOf([&] { Loaded({0xFF, 0xD8}); }), JpegError(JERR_NO_IMAGE));
}

TEST(JpegImage, HugeHeaderIsRefusedBeforeDecoding) {
    std::vector<uint8_t> bytes = ReadTestFile(Wuffs("peacock.default.jpeg"));
    // Find the baseline frame header and declare 60000 x 60000.
    size_t sof = 0;
    for (size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    ASSERT_NE(sof, 0u);
    bytes[sof + 5] = bytes[sof + 7] = 0xEA;
    bytes[sof + 6] = bytes[sof + 8] = 0x60;
    EXPECT_EQ(MessageOf([&] { Loaded(bytes); }), systemErrorMessage(ENOMEM));
}

TEST(JpegImage, DamagedDataIsBrokenOnceAndKeepsWhatWasDecoded) {
    // A valid header whose frame claims a Huffman table that is never defined:
    // the library fails when decoding starts, not when the header is read.
    std::vector<uint8_t> bytes = ReadTestFile(Wuffs("hat.jpeg"));
    size_t sos = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) sos = i;
    ASSERT_NE(sos, 0u);
    bytes[sos + 6] = 0x33;  // first component: tables 3 and 3
    TJPEGImage jpeg = Loaded(bytes);
    EXPECT_EQ(jpeg.Width(), 90);
    EXPECT_NE(MessageOf([&] { jpeg.Pixels(); }), "<no error>");
    EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Broken);
    EXPECT_EQ(MessageOf([&] { jpeg.Pixels(); }), "<no error>");
    EXPECT_EQ(jpeg.DecodeCount(), 1);
}

// The decode ahead runs on a worker thread from the load on; the first
// Pixels() takes its result. Pixels, state and failure must be those of a
// decode on demand, and loading again or dropping the picture stops it.
TEST(JpegImage, DecodeAheadGivesWhatADecodeOnDemandGives) {
    std::vector<uint8_t> good = Encode(
        640, 480, 3, JCS_RGB,
        [](int x, int y, uint8_t* p) {
            p[0] = uint8_t(x * 7 + y), p[1] = uint8_t(y * 3), p[2] = uint8_t(x ^ y);
        },
        JCS_YCbCr, false);
    std::vector<uint8_t> damaged = good;  // a Huffman table that is never defined
    for (size_t i = 0; i + 1 < damaged.size(); ++i)
        if (damaged[i] == 0xFF && damaged[i + 1] == 0xDA) {
            damaged[i + 6] = 0x33;
            break;
        }
    std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2));

    for (const std::vector<uint8_t>* bytes : {&good, &damaged, &cut}) {
        TJPEGImage onDemand = Loaded(*bytes);
        const std::string demandMessage = MessageOf([&] { onDemand.Pixels(); });
        TJPEGImage ahead = Loaded(*bytes);
        ahead.DecodeAhead();
        EXPECT_EQ(ahead.State(), TJPEGImage::TState::Loaded) << "nothing is taken before a draw";
        EXPECT_EQ(MessageOf([&] { ahead.Pixels(); }), demandMessage);
        EXPECT_EQ(ahead.State(), onDemand.State());
        EXPECT_EQ(ahead.DecodeCount(), 1);
        EXPECT_EQ(MessageOf([&] { ahead.Pixels(); }), "<no error>") << "reported once";
        const TBitmap& a = ahead.Pixels();
        const TBitmap& b = onDemand.Pixels();
        ASSERT_EQ(a.width(), b.width());
        ASSERT_EQ(a.height(), b.height());
        for (int y = 0; y < a.height(); ++y)
            ASSERT_EQ(0, std::memcmp(a.scanLine(y), b.scanLine(y), a.stride())) << "row " << y;
    }

    // Stopped midway: a new load decodes the new bytes; a moved picture
    // keeps its decode; a dropped one goes without waiting for the end.
    TJPEGImage again = Loaded(good);
    again.DecodeAhead();
    again.LoadFromBytes(damaged);
    EXPECT_NE(MessageOf([&] { again.Pixels(); }), "<no error>");
    TJPEGImage first = Loaded(good);
    first.DecodeAhead();
    TJPEGImage moved(std::move(first));
    EXPECT_EQ(MessageOf([&] { moved.Pixels(); }), "<no error>");
    EXPECT_EQ(moved.State(), TJPEGImage::TState::Decoded);
    { Loaded(good).DecodeAhead(); }
}

TEST(JpegImage, CmykAndYcckShowTheirColours) {
    // Red, green, blue and white bands; Adobe files store the inks inverted.
    auto band = [](int x) { return x / 16; };
    const uint8_t rgb[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    struct Case {
        J_COLOR_SPACE stored;
        bool adobe;
    };
    for (const Case k : {Case{JCS_YCCK, true}, Case{JCS_CMYK, true}, Case{JCS_CMYK, false}}) {
        const bool adobe = k.adobe;
        SCOPED_TRACE(int(k.stored) * 10 + adobe);
        auto inks = [&](int x, int, uint8_t* out) {
            const uint8_t* c = rgb[band(x)];
            const uint8_t cmyk[4] = {uint8_t(255 - c[0]), uint8_t(255 - c[1]), uint8_t(255 - c[2]),
                                     0};
            for (int i = 0; i < 4; ++i) out[i] = adobe ? uint8_t(255 - cmyk[i]) : cmyk[i];
        };
        TJPEGImage jpeg = Loaded(Encode(64, 16, 4, JCS_CMYK, inks, k.stored, adobe));
        const TBitmap& px = jpeg.Pixels();
        EXPECT_EQ(px.bitsPerPixel(), 24);
        const std::vector<uint32_t> argb = px.toArgb32();
        for (int b = 0; b < 4; ++b) {
            const uint32_t c = argb[size_t(8 * 64 + b * 16 + 8)];
            EXPECT_NEAR(int((c >> 16) & 0xFF), rgb[b][0], 8) << b;
            EXPECT_NEAR(int((c >> 8) & 0xFF), rgb[b][1], 8) << b;
            EXPECT_NEAR(int(c & 0xFF), rgb[b][2], 8) << b;
        }
    }
}

}  // namespace
