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
#include "ImageTestSupport.h"
#include "viewers/image/core/BmpReader.h"
#include "viewers/image/core/JpegImage.h"

namespace {

std::string JpegError(int code) {
    return "JPEG error #" + std::to_string(code);
}

TJPEGImage Loaded(const std::vector<uint8_t>& bytes) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(bytes);
    return jpeg;
}

// A decode made with libjpeg-turbo alone: colour files as RGB, grey files as
// palette indexes with the palette's grey levels.
struct Reference {
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> greys;
    int components = 0;
    bool operator==(const Reference&) const = default;
};

void PrintTo(const Reference& r, std::ostream* os) {
    *os << r.components << " component(s), " << r.pixels.size() << " samples, " << r.greys.size()
        << " greys";
}

struct Settings {
    J_DCT_METHOD dct = JDCT_FLOAT;
    bool smoothing = true;
    int greyColours = 236;
    J_DITHER_MODE dither = JDITHER_FS;
};

Reference ReferenceDecode(const std::vector<uint8_t>& bytes, const Settings& settings) {
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    err.emit_message = [](j_common_ptr, int) {};  // a cut-off file warns
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d, TRUE);
    d.dct_method = settings.dct;
    d.do_block_smoothing = settings.smoothing;
    if (d.jpeg_color_space == JCS_GRAYSCALE) {
        d.quantize_colors = TRUE;
        d.desired_number_of_colors = settings.greyColours;
        d.two_pass_quantize = FALSE;
        d.dither_mode = settings.dither;
    } else {
        d.out_color_space = JCS_RGB;
    }
    jpeg_start_decompress(&d);
    Reference r;
    r.components = d.output_components;
    const size_t stride = size_t(d.output_width) * size_t(d.output_components);
    r.pixels.resize(stride * d.output_height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = r.pixels.data() + stride * d.output_scanline;
        jpeg_read_scanlines(&d, &row, 1);
    }
    if (d.quantize_colors)
        for (int i = 0; i < d.actual_number_of_colors; ++i) r.greys.push_back(d.colormap[0][i]);
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return r;
}

// The viewer's decode in the same form.
Reference ViewerDecode(const std::vector<uint8_t>& bytes) {
    TJPEGImage jpeg = Loaded(bytes);
    const TBitmap& px = jpeg.Pixels();
    Reference r;
    r.components = px.bitsPerPixel() == 8 ? 1 : 3;
    for (int y = 0; y < px.height(); ++y) {
        const uint8_t* row = px.scanLine(y);
        for (int x = 0; x < px.width(); ++x) {
            if (r.components == 1) {
                r.pixels.push_back(row[x]);
            } else {
                r.pixels.insert(r.pixels.end(), {row[4 * x + 2], row[4 * x + 1], row[4 * x]});
            }
        }
    }
    for (const TRGBQuad& q : px.palette) r.greys.push_back(q.red);
    return r;
}

// Smooth shading with fine detail, where the decode settings show.
void Shaded(int x, int y, uint8_t* out, int components) {
    for (int c = 0; c < components; ++c)
        out[c] = uint8_t((x * 3 + y * 2 + c * 50 + ((x * 7 + y * 13 + c) % 11) * 9) & 0xFF);
}

// The file up to its n-th start of scan: the later scans are missing.
std::vector<uint8_t> CutBeforeScan(const std::vector<uint8_t>& bytes, int n) {
    for (size_t i = 0, seen = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA && ++seen == size_t(n))
            return {bytes.begin(), bytes.begin() + std::ptrdiff_t(i)};
    return bytes;
}

TEST(JpegImage, DecodeSettingsMatchLibjpegWithFloatIdctSmoothingAndTheGreyQuantiser) {
    const auto colour =
        EncodeJpeg(96, 64, 3, JCS_RGB, [](int x, int y, uint8_t* out) { Shaded(x, y, out, 3); });
    const auto grey = EncodeJpeg(96, 64, 1, JCS_GRAYSCALE,
                                 [](int x, int y, uint8_t* out) { Shaded(x, y, out, 1); });
    // A progressive file cut after its first scans: only block smoothing
    // fills in the coefficients that are missing.
    const auto partial = CutBeforeScan(
        EncodeJpeg(
            96, 64, 3, JCS_RGB, [](int x, int y, uint8_t* out) { Shaded(x, y, out, 3); },
            [](jpeg_compress_struct& c) { jpeg_simple_progression(&c); }),
        3);

    const Settings viewer;
    EXPECT_EQ(ViewerDecode(colour), ReferenceDecode(colour, viewer));
    EXPECT_EQ(ViewerDecode(partial), ReferenceDecode(partial, viewer));
    const Reference greyDecode = ViewerDecode(grey);
    EXPECT_EQ(greyDecode.components, 1);
    EXPECT_EQ(greyDecode.greys.size(), 236u);
    EXPECT_EQ(greyDecode, ReferenceDecode(grey, viewer));

    // Each setting shows in these files, so none can change unnoticed.
    Settings integerIdct, noSmoothing, fullGreys, ordered;
    integerIdct.dct = JDCT_ISLOW;
    noSmoothing.smoothing = false;
    fullGreys.greyColours = 256;
    ordered.dither = JDITHER_ORDERED;
    EXPECT_NE(ReferenceDecode(colour, viewer), ReferenceDecode(colour, integerIdct));
    EXPECT_NE(ReferenceDecode(partial, viewer), ReferenceDecode(partial, noSmoothing));
    EXPECT_NE(ReferenceDecode(grey, viewer), ReferenceDecode(grey, fullGreys));
    EXPECT_NE(ReferenceDecode(grey, viewer), ReferenceDecode(grey, ordered));
}

// Each subsampling, odd sizes and progressive files decode to the picture
// that was encoded; a flipped or channel-swapped decode is off by tens.
TEST(JpegImage, EncodingsDecodeToTheirSourcePicture) {
    const int w = 101, h = 75;  // not a whole number of blocks either way
    using Tune = std::function<void(jpeg_compress_struct&)>;
    auto sampling = [](int h0, int v0, int h1, int v1) -> Tune {
        return [=](jpeg_compress_struct& c) {
            c.comp_info[0].h_samp_factor = h0, c.comp_info[0].v_samp_factor = v0;
            for (int i = 1; i < 3; ++i)
                c.comp_info[i].h_samp_factor = h1, c.comp_info[i].v_samp_factor = v1;
        };
    };
    const std::pair<const char*, Tune> cases[] = {
        {"4:2:0", {}},
        {"4:4:4", sampling(1, 1, 1, 1)},
        {"4:2:2", sampling(2, 1, 1, 1)},
        {"1x3", sampling(1, 3, 1, 1)},
        {"3x1", sampling(3, 1, 1, 1)},
        {"chroma above luma", sampling(1, 1, 2, 2)},
        {"progressive", [](jpeg_compress_struct& c) { jpeg_simple_progression(&c); }},
        {"optimized, restarts", [](jpeg_compress_struct& c) {
             c.optimize_coding = TRUE;
             c.restart_interval = 3;
         }}};
    for (const auto& [name, tune] : cases) {
        SCOPED_TRACE(name);
        TJPEGImage jpeg = Loaded(EncodePhoto(w, h, tune));
        EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Loaded);
        EXPECT_EQ(jpeg.Width(), w);
        EXPECT_EQ(jpeg.Height(), h);
        EXPECT_EQ(jpeg.DecodeCount(), 0);  // loading reads only the header
        const TBitmap& px = jpeg.Pixels();
        EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Decoded);
        // Drawn as decoded: 32 bits, top row first, every fourth byte 0xFF.
        EXPECT_EQ(px.bitsPerPixel(), 32);
        EXPECT_TRUE(px.topDown());
        EXPECT_TRUE(px.opaqueFourthByte);
        for (int y = 0; y < px.height(); ++y)
            for (int x = 0; x < px.width(); ++x) ASSERT_EQ(px.scanLine(y)[4 * x + 3], 0xFF);
        EXPECT_LT(Compare(px.toArgb32(), PhotoPixels(w, h)).mean, 3.0);
        EXPECT_EQ(&jpeg.Pixels(), &px);
        EXPECT_EQ(jpeg.DecodeCount(), 1);
    }
}

TEST(JpegImage, GrayFilesAreQuantisedToAGrayPalette) {
    const int w = 64, h = 48;
    auto level = [](int x, int y) { return uint8_t(x * 3 + y); };
    TJPEGImage jpeg = Loaded(EncodeJpeg(w, h, 1, JCS_GRAYSCALE,
                                        [&](int x, int y, uint8_t* out) { *out = level(x, y); }));
    const TBitmap& px = jpeg.Pixels();
    EXPECT_EQ(px.bitsPerPixel(), 8);
    ASSERT_GT(px.palette.size(), 1u);
    EXPECT_LE(px.palette.size(), 236u);
    for (const TRGBQuad& q : px.palette) {
        EXPECT_EQ(q.red, q.green);
        EXPECT_EQ(q.green, q.blue);
    }
    std::vector<uint32_t> source;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) source.push_back(0xFF000000u | 0x010101u * level(x, y));
    EXPECT_LT(Compare(px.toArgb32(), source).mean, 3.0);
}

TEST(JpegImage, TruncatedFilesDecodeWithoutAnError) {
    // Cut in the middle: the top is the picture, the rest filled in.
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        const std::vector<uint8_t> whole = EncodePhoto(160, 120, [&](jpeg_compress_struct& c) {
            if (progressive) jpeg_simple_progression(&c);
        });
        TJPEGImage cut =
            Loaded(std::vector<uint8_t>(whole.begin(), whole.begin() + long(whole.size() / 2)));
        EXPECT_EQ(MessageOf([&] { cut.Pixels(); }), "<no error>");
        EXPECT_EQ(cut.State(), TJPEGImage::TState::Decoded);
        EXPECT_EQ(cut.Width(), 160);
        EXPECT_EQ(cut.Height(), 120);
        if (progressive) continue;  // every scan covers the whole picture
        TJPEGImage full = Loaded(whole);
        const TBitmap& a = cut.Pixels();
        const TBitmap& b = full.Pixels();
        EXPECT_EQ(0, std::memcmp(a.scanLine(10), b.scanLine(10), a.stride()));
    }
}

// Files from other encoders: colour and gray pictures against their BMP twins
// (another decoder's output, so within a tolerance), odd subsamplings and
// progressive files against the plain 4:4:4 one, files cut short.
TEST(JpegImage, SharedFilesMatchTheirTwins) {
    TARVEL_NEED_SHARED("wuffs");
    auto wuffs = [](const std::string& name) { return SharedTestPath("wuffs/" + name); };
    for (const char* name :
         {"bricks-color", "harvesters", "hat", "hibiscus.regular", "hibiscus.primitive",
          "hippopotamus", "pjw-thumbnail", "bricks-gray"}) {
        SCOPED_TRACE(name);
        TJPEGImage jpeg = Loaded(ReadTestFile(wuffs(std::string(name) + ".jpeg")));
        const TBitmap bmp = TBmpReader::ReadFile(wuffs(std::string(name) + ".bmp"));
        EXPECT_LT(Compare(jpeg.Pixels(), bmp).mean, 8.0);
    }
    TJPEGImage reference = Loaded(ReadTestFile(wuffs("peacock.s1x1-444.jpeg")));
    for (const char* name :
         {"peacock.default.jpeg", "peacock.optimize.jpeg", "peacock.progressive.jpeg",
          "peacock.s-very-weird.jpeg", "peacock.s-weird.jpeg", "peacock.s1x3.jpeg",
          "peacock.s2x1-422.jpeg", "peacock.s2x2-420.jpeg", "peacock.q99.jpeg"}) {
        SCOPED_TRACE(name);
        TJPEGImage jpeg = Loaded(ReadTestFile(wuffs(name)));
        EXPECT_LT(Compare(jpeg.Pixels(), reference.Pixels()).mean, 12.0);
    }
    for (const char* name : {"peacock.default.truncated.jpeg", "peacock.progressive.truncated.jpeg",
                             "peacock.progressive.scan003.jpeg"}) {
        SCOPED_TRACE(name);
        TJPEGImage jpeg = Loaded(ReadTestFile(wuffs(name)));
        EXPECT_EQ(MessageOf([&] { jpeg.Pixels(); }), "<no error>");
        EXPECT_EQ(jpeg.State(), TJPEGImage::TState::Decoded);
    }
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
    std::vector<uint8_t> bytes = EncodePhoto(100, 75);
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
    std::vector<uint8_t> bytes = EncodePhoto(90, 60);
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
    std::vector<uint8_t> good = EncodeJpeg(640, 480, 3, JCS_RGB, [](int x, int y, uint8_t* p) {
        p[0] = uint8_t(x * 7 + y), p[1] = uint8_t(y * 3), p[2] = uint8_t(x ^ y);
    });
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
        TJPEGImage jpeg =
            Loaded(EncodeJpeg(64, 16, 4, JCS_CMYK, inks, [&](jpeg_compress_struct& c) {
                jpeg_set_colorspace(&c, k.stored);
                c.write_Adobe_marker = adobe;
            }));
        const TBitmap& px = jpeg.Pixels();
        EXPECT_EQ(px.bitsPerPixel(), 32);
        EXPECT_TRUE(px.opaqueFourthByte);
        EXPECT_EQ(px.scanLine(8)[4 * 8 + 3], 0xFF);
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
