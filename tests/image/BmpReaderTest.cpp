// Tests
#include <gtest/gtest.h>

// C++
#include <cerrno>

// Project
#include "BmpBuilder.h"
#include "ImageTestSupport.h"
#include "base/Bitmap.h"
#include "viewers/image/core/BmpReader.h"
#include "viewers/image/core/MemoryStream.h"

namespace {

TBitmap ReadBytes(const std::vector<uint8_t>& bytes) {
    TMemoryStream in(bytes.data(), bytes.size());
    return TBmpReader::Read(in);
}

std::string ReadError(const std::vector<uint8_t>& bytes) {
    return MessageOf([&] { ReadBytes(bytes); });
}

const TRGBQuad kRed{0, 0, 255, 0}, kGreen{0, 255, 0, 0}, kBlue{255, 0, 0, 0},
    kWhite{255, 255, 255, 0};

uint32_t Argb(const TRGBQuad& q) {
    return 0xFF000000u | uint32_t(q.red) << 16 | uint32_t(q.green) << 8 | q.blue;
}

// A 2 x 2, 8-bit picture: bottom row red, green; top row blue, white.
BmpBuilder TwoByTwo() {
    BmpBuilder b;
    b.width = 2;
    b.height = 2;
    b.bits = 8;
    b.colorsUsed = 4;
    b.palette = {kRed, kGreen, kBlue, kWhite};
    b.pixels = {0, 1, 0, 0, 2, 3, 0, 0};
    return b;
}

// Files from other programs. (The run-length ones are checked pixel for pixel
// against their GIF twins in the GIF tests.)
TEST(BmpReader, SharedFilesReadAsWritten) {
    TARVEL_NEED_SHARED("wuffs");
    auto wuffs = [](const std::string& name) { return SharedTestPath("wuffs/" + name); };
    struct Case {
        const char* name;
        int width, height, bits;
    } cases[] = {{"harvesters.bmp", 1165, 859, 24}, {"bricks-dither.bmp", 160, 120, 24},
                 {"bricks-gray.bmp", 160, 120, 24}, {"hibiscus.primitive.bmp", 312, 442, 32},
                 {"pjw-thumbnail.bmp", 32, 32, 1},  {"hippopotamus.bmp", 36, 28, 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TBitmap bmp = TBmpReader::ReadFile(wuffs(c.name));
        EXPECT_EQ(bmp.width(), c.width);
        EXPECT_EQ(bmp.height(), c.height);
        EXPECT_EQ(bmp.bitsPerPixel(), c.bits);
    }

    // A real bit-field file: the channels come from the masks (the bytes are B, G, R, A).
    const TBitmap masked = TBmpReader::ReadFile(wuffs("hibiscus.primitive.bmp"));
    const std::vector<uint8_t> file = ReadTestFile(wuffs("hibiscus.primitive.bmp"));
    const uint8_t* first = file.data() + 138;  // bottom-left pixel
    const uint32_t bottomLeft =
        masked.toArgb32()[size_t(masked.height() - 1) * size_t(masked.width())];
    EXPECT_EQ(bottomLeft,
              0xFF000000u | uint32_t(first[2]) << 16 | uint32_t(first[1]) << 8 | first[0]);
}

TEST(BmpReader, ReadsUpTheBottomAndDownFromTheTop) {
    const TBitmap up = ReadBytes(TwoByTwo().Build());
    BmpBuilder b = TwoByTwo();
    b.height = -2;
    b.pixels = {2, 3, 0, 0, 0, 1, 0, 0};  // top row first
    const TBitmap down = ReadBytes(b.Build());
    EXPECT_FALSE(up.topDown());
    EXPECT_TRUE(down.topDown());
    EXPECT_EQ(up.toArgb32(), down.toArgb32());
    const std::vector<uint32_t> px = up.toArgb32();
    EXPECT_EQ(px, (std::vector<uint32_t>{Argb(kBlue), Argb(kWhite), Argb(kRed), Argb(kGreen)}));
}

TEST(BmpReader, Os2CoreHeaderHasThreeByteColours) {
    BmpBuilder b = TwoByTwo();
    b.headerSize = 12;
    b.palette.resize(256);  // the core header has no colour count: 2^bits entries
    const TBitmap os2 = ReadBytes(b.Build());
    EXPECT_EQ(os2.toArgb32(), ReadBytes(TwoByTwo().Build()).toArgb32());
    EXPECT_EQ(os2.palette[2], kBlue);  // the fourth byte is zero, not the next entry's blue
}

TEST(BmpReader, PixelsStartAtTheOffsetWhenItLiesBetweenTheTableAndTheEnd) {
    const std::vector<uint32_t> expected = ReadBytes(TwoByTwo().Build()).toArgb32();
    // A gap after the table (alignment, an embedded colour profile), with
    // every kind of header.
    for (uint32_t headerSize : {12u, 40u, 124u}) {
        BmpBuilder b = TwoByTwo();
        b.headerSize = headerSize;
        if (headerSize == 12) b.palette.resize(256);
        b.gapBeforePixels = 6;
        EXPECT_EQ(ReadBytes(b.Build()).toArgb32(), expected) << headerSize;
    }
    // Run-length pictures too.
    BmpBuilder rle = TwoByTwo();
    rle.compression = 1;
    rle.pixels = {2, 0, 0, 0, 1, 2, 3, 0, 0, 1};
    const std::vector<uint32_t> plain = ReadBytes(rle.Build()).toArgb32();
    rle.gapBeforePixels = 3;
    EXPECT_EQ(ReadBytes(rle.Build()).toArgb32(), plain);

    // An offset into the headers or the table, or past the end of the file,
    // is ignored: the pixels start right after the table.
    for (uint32_t offset : {1u, 14u + 40u, 14u + 40u + 15u, 14u + 40u + 16u + 8u, 100000u}) {
        BmpBuilder b = TwoByTwo();
        b.pixelOffset = offset;
        EXPECT_EQ(ReadBytes(b.Build()).toArgb32(), expected) << offset;
    }
}

TEST(BmpReader, CutOffPixelsLeaveTheMissingRowsZero) {
    BmpBuilder b = TwoByTwo();
    b.pixels.resize(5);  // the bottom row and one byte of the top row
    const TBitmap bmp = ReadBytes(b.Build());
    EXPECT_EQ(bmp.scanLine(1)[0], 0);
    EXPECT_EQ(bmp.scanLine(1)[1], 1);
    EXPECT_EQ(bmp.scanLine(0)[0], 2);
    EXPECT_EQ(bmp.scanLine(0)[1], 0);
}

TEST(BmpReader, ImageSizeFieldLimitsThePixelBytes) {
    BmpBuilder b = TwoByTwo();
    b.imageSize = 4;
    const TBitmap bmp = ReadBytes(b.Build());
    EXPECT_EQ(bmp.scanLine(1)[1], 1);
    EXPECT_EQ(bmp.scanLine(0)[0], 0);  // present in the file, beyond the image size
}

TEST(BmpReader, BitFieldMasks) {
    // 16 bits, 5-6-5, masks after a 40-byte header.
    BmpBuilder b;
    b.width = 2;
    b.height = 1;
    b.bits = 16;
    b.compression = 3;
    b.masks = {0xF800, 0x07E0, 0x001F};
    b.pixels = {0x00, 0xF8, 0xE0, 0x07};  // red, green
    const TBitmap bmp = ReadBytes(b.Build());
    EXPECT_EQ(bmp.toArgb32(), (std::vector<uint32_t>{0xFFFF0000u, 0xFF00FF00u}));

    // Without masks 16 bits are 5-5-5: 0x7C00 is pure red there, not with 5-6-5.
    b.pixels = {0x00, 0x7C, 0x1F, 0x00};
    EXPECT_NE(ReadBytes(b.Build()).toArgb32()[0], 0xFFFF0000u);
    b.compression = 0;
    b.masks.clear();
    EXPECT_EQ(ReadBytes(b.Build()).toArgb32(), (std::vector<uint32_t>{0xFFFF0000u, 0xFF0000FFu}));

    // 32 bits with the masks inside a V5 header, in an unusual order.
    BmpBuilder v5;
    v5.headerSize = 124;
    v5.width = 1;
    v5.height = 1;
    v5.bits = 32;
    v5.compression = 3;
    v5.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    v5.pixels = {0x11, 0x22, 0x33, 0x44};
    EXPECT_EQ(ReadBytes(v5.Build()).toArgb32()[0], 0xFF112233u);
    // Compression 0 ignores the header's masks: blue, green, red, unused.
    v5.compression = 0;
    EXPECT_EQ(ReadBytes(v5.Build()).toArgb32()[0], 0xFF332211u);
}

}  // namespace

namespace {

// Run-length pictures: 8-bit and 4-bit codes, deltas, ends of line and of picture.
BmpBuilder RunLength(uint16_t bits, std::vector<uint8_t> codes, int width = 4, int height = 3) {
    BmpBuilder b;
    b.width = width;
    b.height = height;
    b.bits = bits;
    b.compression = bits == 8 ? 1 : 2;
    b.colorsUsed = 4;
    b.palette = {kRed, kGreen, kBlue, kWhite};
    b.imageSize = uint32_t(codes.size());  // else only the uncompressed size is read
    b.pixels = std::move(codes);
    return b;
}

// Rows from the top, as palette indexes ('.' for untouched black).
std::vector<std::string> Rows(const TBitmap& bmp) {
    const std::vector<uint32_t> px = bmp.toArgb32();
    std::vector<std::string> rows;
    for (int y = 0; y < bmp.height(); ++y) {
        std::string row;
        for (int x = 0; x < bmp.width(); ++x) {
            const uint32_t c = px[size_t(y) * size_t(bmp.width()) + size_t(x)];
            row += c == Argb(kRed)     ? 'R'
                   : c == Argb(kGreen) ? 'G'
                   : c == Argb(kBlue)  ? 'B'
                   : c == Argb(kWhite) ? 'W'
                   : c == 0xFF000000u  ? '.'
                                       : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(BmpReader, RunLength8) {
    // Bottom row: 3 x green; end of line; delta (2, 1) skips the middle row
    // to the top row at x 2; 2 x white; end of picture (the rest is ignored).
    const TBitmap bmp = ReadBytes(RunLength(8, {3, 1, 0, 0, 0, 2, 2, 1, 2, 3, 0, 1, 2, 2}).Build());
    EXPECT_EQ(bmp.bitsPerPixel(), 24);
    EXPECT_EQ(Rows(bmp), (std::vector<std::string>{"..WW", "....", "GGG."}));

    // An absolute run (3 indexes, padded to an even count of bytes).
    EXPECT_EQ(Rows(ReadBytes(RunLength(8, {0, 3, 2, 1, 0, 0, 1, 3, 0, 1}).Build())),
              (std::vector<std::string>{"....", "....", "BGRW"}));
}

TEST(BmpReader, RunLength4) {
    // Encoded run of 4 alternating indexes 1 and 2; end of line; absolute run
    // of 3 indexes 3,0,1 (2 bytes, already even); end of picture.
    const TBitmap bmp = ReadBytes(RunLength(4, {4, 0x12, 0, 0, 0, 3, 0x30, 0x10, 0, 1}).Build());
    EXPECT_EQ(Rows(bmp), (std::vector<std::string>{"....", "WRG.", "GBGB"}));
    // An absolute run of 5 indexes takes 3 bytes plus one of padding.
    EXPECT_EQ(Rows(ReadBytes(RunLength(4, {0, 5, 0x12, 0x30, 0x20, 0xFF, 1, 0x33}, 6, 1).Build())),
              (std::vector<std::string>{"GBWRBW"}));
}

TEST(BmpReader, RunLengthCodesBeyondTheEdgesAreClipped) {
    // A run longer than the row, a delta far past the right and top edges,
    // an absolute run that the data cuts short: nothing is written outside.
    const TBitmap bmp =
        ReadBytes(RunLength(8, {200, 1, 0, 0, 0, 2, 255, 0, 2, 2, 0, 0, 3, 3, 0, 9, 2}).Build());
    EXPECT_EQ(Rows(bmp), (std::vector<std::string>{"WWWB", "....", "GGGG"}));
    // A delta past the top edge ends the picture.
    EXPECT_EQ(Rows(ReadBytes(RunLength(8, {1, 2, 0, 2, 0, 255, 1, 1}).Build())),
              (std::vector<std::string>{"....", "....", "B..."}));
    // A cut-off code pair and cut-off delta are the end of the data.
    EXPECT_EQ(Rows(ReadBytes(RunLength(8, {2, 2, 0}).Build())),
              (std::vector<std::string>{"....", "....", "BB.."}));
    EXPECT_EQ(Rows(ReadBytes(RunLength(8, {2, 2, 0, 2, 1}).Build())),
              (std::vector<std::string>{"....", "....", "BB.."}));
}

TEST(BmpReader, RunLengthDataIsLimitedByTheImageSize) {
    // Without an image size only the uncompressed size is read: here 4 bytes.
    BmpBuilder b = RunLength(8, {1, 1, 1, 2, 1, 3, 0, 1}, 4, 1);
    b.imageSize = 0;
    EXPECT_EQ(Rows(ReadBytes(b.Build())), (std::vector<std::string>{"GB.."}));
    b.imageSize = 6;
    EXPECT_EQ(Rows(ReadBytes(b.Build())), (std::vector<std::string>{"GBW."}));
}

TEST(BmpReader, OneAndFourBitPixelsUnpackHighBitsFirst) {
    // 1 bit in a V5 header; index 1 (blue) is the high bit of each byte first.
    BmpBuilder b;
    b.headerSize = 124;
    b.width = 10;
    b.height = 2;
    b.bits = 1;
    b.colorsUsed = 2;
    b.palette = {kRed, kBlue};
    b.pixels = {0xA0, 0xC0, 0, 0, 0x5F, 0x80, 0, 0};
    const TBitmap bmp = ReadBytes(b.Build());
    EXPECT_EQ(bmp.bitsPerPixel(), 1);
    EXPECT_EQ(bmp.palette.size(), 2u);
    EXPECT_EQ(Rows(bmp), (std::vector<std::string>{"RBRBBBBBBR", "BRBRRRRRBB"}));

    b = BmpBuilder();
    b.width = 3;
    b.height = 1;
    b.bits = 4;
    b.colorsUsed = 4;
    b.palette = {kRed, kGreen, kBlue, kWhite};
    b.pixels = {0x12, 0x30, 0, 0};
    EXPECT_EQ(Rows(ReadBytes(b.Build())), (std::vector<std::string>{"GBW"}));
}

TEST(BmpReader, ColourTableOverTwoHundredFiftySixKeepsTheFirst256) {
    BmpBuilder b = TwoByTwo();
    b.colorsUsed = 300;
    b.palette.resize(300, kWhite);
    b.palette[299] = kBlue;
    const TBitmap bmp = ReadBytes(b.Build());
    EXPECT_EQ(bmp.palette.size(), 256u);
    // The pixels still start after all 300 entries.
    EXPECT_EQ(bmp.toArgb32(), ReadBytes(TwoByTwo().Build()).toArgb32());
}

TEST(BmpReader, EmptyFileIsAnEmptyPicture) {
    const TBitmap bmp = ReadBytes({});
    EXPECT_TRUE(bmp.empty());
    EXPECT_EQ(bmp.width(), 0);
    EXPECT_EQ(bmp.height(), 0);
}

TEST(BmpReader, FailureMessages) {
    const std::string notValid = "Bitmap image is not valid";
    const std::string readError = "Stream read error";
    const std::vector<uint8_t> good = TwoByTwo().Build();

    std::vector<uint8_t> notBm = good;
    notBm[0] = 'X';
    EXPECT_EQ(ReadError(notBm), notValid);
    EXPECT_EQ(ReadError({'B'}), readError);  // inside the file header
    EXPECT_EQ(ReadError(std::vector<uint8_t>(good.begin(), good.begin() + 16)), readError);
    EXPECT_EQ(ReadError(std::vector<uint8_t>(good.begin(), good.begin() + 30)), readError);
    EXPECT_EQ(ReadError(std::vector<uint8_t>(good.begin(), good.begin() + 60)),
              readError);  // colour table

    BmpBuilder b = TwoByTwo();
    b.planes = 2;
    EXPECT_EQ(ReadError(b.Build()), notValid);
    b = TwoByTwo();
    b.headerSize = 20;
    EXPECT_EQ(ReadError(b.Build()), notValid);
    for (uint32_t compression : {4u, 5u, 6u, 3u}) {  // JPEG, PNG, alpha fields, 8-bit fields
        b = TwoByTwo();
        b.compression = compression;
        EXPECT_EQ(ReadError(b.Build()), notValid) << compression;
    }
    b = TwoByTwo();
    b.bits = 7;
    EXPECT_EQ(ReadError(b.Build()), notValid);
    b = TwoByTwo();
    b.width = -2;
    EXPECT_EQ(ReadError(b.Build()), notValid);
    b = TwoByTwo();
    b.height = INT32_MIN;
    b.width = 0;
    EXPECT_EQ(ReadError(b.Build()), notValid);
    b = RunLength(8, {0, 1});
    b.height = -3;  // run-length pictures cannot be stored top-down
    EXPECT_EQ(ReadError(b.Build()), notValid);

    // Masks cut off after a 40-byte header.
    BmpBuilder masked;
    masked.width = 1;
    masked.height = 1;
    masked.bits = 32;
    masked.compression = 3;
    masked.masks = {0xFF0000};
    EXPECT_EQ(ReadError(masked.Build()), readError);
}

TEST(BmpReader, PictureAboveThePixelLimitIsRefusedBeforeAllocating) {
    BmpBuilder b = TwoByTwo();
    b.width = 70000;
    b.height = -70000;
    EXPECT_EQ(ReadError(b.Build()), systemErrorMessage(ENOMEM));
    b = RunLength(8, {0, 1}, 1 << 15, 1 << 14);
    b.palette.clear();
    b.colorsUsed = 0;
    b.palette.resize(256);
    EXPECT_EQ(ReadError(b.Build()), systemErrorMessage(ENOMEM));
    // A colour count of four thousand million is a read past the end, not an allocation.
    b = TwoByTwo();
    b.colorsUsed = 0xFFFFFFFFu;
    EXPECT_EQ(ReadError(b.Build()), "Stream read error");
    // So is a header size of four thousand million.
    b = TwoByTwo();
    std::vector<uint8_t> bytes = b.Build();
    bytes[14] = bytes[15] = bytes[16] = bytes[17] = 0xFF;
    EXPECT_EQ(ReadError(bytes), "Stream read error");
}

}  // namespace

namespace {

// Inputs found by fuzz_bmp.
TEST(BmpReaderRegression, ZeroWidthWithMillionsOfRowsIsAnEmptyPicture) {
    const TBitmap bmp =
        ReadBytes(ReadTestFile(TARVEL_TEST_DATA_DIR "/zero-width-million-rows-hang.bmp"));
    EXPECT_TRUE(bmp.empty());
    EXPECT_EQ(bmp.height(), 0);
    EXPECT_TRUE(bmp.toArgb32().empty());
    // Either side zero: nothing to draw, nothing to walk.
    BmpBuilder b = TwoByTwo();
    b.height = 0;
    EXPECT_EQ(ReadBytes(b.Build()).height(), 0);
    b = TwoByTwo();
    b.width = 0;
    b.height = -100000000;
    EXPECT_EQ(ReadBytes(b.Build()).height(), 0);
}

}  // namespace
