// Own
#include "base/Error.h"
#include "support/GifBuilder.h"
#include "support/TempFolder.h"
#include "viewers/gif/core/GifImage.h"

// C++
#include <cstdio>
#include <sstream>

// System
#include <sys/stat.h>
#include <unistd.h>

// Test
#include <gtest/gtest.h>

namespace {

/// Loads bytes as the viewer does (frame 0 decoded), counting notifications.
struct Loaded {
    TGIFImage image;
    int changes = 0;
    std::string error;

    explicit Loaded(const std::vector<uint8_t>& bytes, bool decodeFirst = true) {
        image.OnChange = [this] { ++changes; };
        std::string data(bytes.begin(), bytes.end());
        std::istringstream in(data);
        try {
            LoadGif(image, in, int64_t(bytes.size()), decodeFirst);
        } catch (const EError& e) {
            error = e.what();
        }
    }
};

GifBuilder oneFrameGif(const char* signature = "GIF89a") {
    GifBuilder b;
    b.header(signature).screen(2, 2, 4).frame(0, 0, 2, 2, {0, 1, 2, 3});
    return b;
}

TEST(GifLoad, EmptyAndHeaderOnlyFilesLoadAsEmptyImages) {
    Loaded empty({});
    EXPECT_EQ(empty.error, "");
    EXPECT_EQ(empty.changes, 1);
    EXPECT_TRUE(empty.image.Empty());
    EXPECT_EQ(empty.image.FrameCount(), 0);
    EXPECT_EQ(empty.image.Width(), 0);
    EXPECT_EQ(empty.image.LogicalWidth, 0);

    GifBuilder b;
    b.header().screen(5, 6, 4, 1);
    Loaded headerOnly(b.bytes);
    EXPECT_EQ(headerOnly.error, "");
    EXPECT_TRUE(headerOnly.image.Empty());
    EXPECT_EQ(headerOnly.image.CurrentFrame, -1);
    EXPECT_EQ(headerOnly.image.LogicalWidth, 5);
    EXPECT_EQ(headerOnly.image.ScreenBackground, GifBuilder::colorOf(1));
    EXPECT_EQ(headerOnly.image.Header->GlobalColors.count, 4);

    // Cut inside the global table: still an empty image, no error.
    b.bytes.resize(b.bytes.size() - 2);
    Loaded cut(b.bytes);
    EXPECT_EQ(cut.error, "");
    EXPECT_TRUE(cut.image.Empty());
}

TEST(GifLoad, HeaderIgnoresCaseAndRejectsOtherVersions) {
    Loaded mixed(oneFrameGif("gif89A").bytes);
    EXPECT_EQ(mixed.error, "");
    EXPECT_EQ(mixed.image.Version, 2);
    EXPECT_EQ(Loaded(oneFrameGif("GIF87a").bytes).image.Version, 1);

    Loaded bad(oneFrameGif("GIF88a").bytes);
    EXPECT_EQ(bad.error, "Unknown GIF version");
    EXPECT_EQ(bad.changes, 0);
    EXPECT_EQ(Loaded({'G', 'I', 'F', '8'}).error, "Unknown GIF version");
    EXPECT_EQ(Loaded({'P', 'N', 'G', '8', '9', 'a'}).error, "Unknown GIF version");
}

TEST(GifLoad, SourceShorterThanTheByteCountFails) {
    const auto bytes = oneFrameGif().bytes;
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    TGIFImage image;
    EXPECT_THROW(LoadGif(image, in, int64_t(bytes.size()) + 1, true), EError);
}

TEST(GifLoad, DelaysAreHundredthsKeptInSixteenBits) {
    for (auto [delay, expected] : {std::pair{0, 0}, {10, 100}, {7000, 4464}}) {
        GifBuilder b;
        b.header().screen(1, 1, 2).graphicControl(uint16_t(delay), -1, 2).frame(0, 0, 1, 1, {1});
        Loaded l(b.bytes);
        ASSERT_EQ(l.image.FrameCount(), 1);
        EXPECT_EQ(l.image.Frame(0).DelayMs, expected);
        EXPECT_EQ(l.image.Frame(0).Disposal, 2);
    }
}

TEST(GifLoad, LoopingBlocks) {
    for (auto [id, block, hasLoop, count] :
         {std::tuple{"NETSCAPE2.0", std::string("\x01\x00\x00", 3), true, 0},
          {"ANIMEXTS1.0", std::string("\x01\x40\x9C", 3), true, 30000},
          {"NETSCAPE2.0", std::string("\x01\x05\x00", 3), true, 5},
          {"NETSCAPE2.0", std::string("\x02\x05\x00", 3), false, 1},
          {"NETSCAPE2.0", std::string("\x01\x05", 2), false, 1},
          {"XMP DataXMP", std::string("\x01\x05\x00", 3), false, 1}}) {
        GifBuilder b;
        b.header().screen(1, 1, 2).application(id, {block}).frame(0, 0, 1, 1, {0});
        Loaded l(b.bytes);
        EXPECT_EQ(l.image.HasLoopBlock, hasLoop) << id;
        EXPECT_EQ(l.image.LoopCount, count) << id;
        // Application extensions are never kept.
        EXPECT_EQ(l.image.Frame(0).ExtensionList, nullptr);
    }
}

TEST(GifLoad, PlainTextDropsTheGraphicControlBeforeIt) {
    GifBuilder b;
    b.header().screen(1, 1, 2).graphicControl(10, 1).plainText().frame(0, 0, 1, 1, {0});
    Loaded l(b.bytes);
    ASSERT_EQ(l.image.FrameCount(), 1);
    EXPECT_EQ(l.image.Frame(0).ExtensionList, nullptr);
    EXPECT_EQ(l.image.Frame(0).DelayMs, 0);
    EXPECT_EQ(l.image.Frame(0).KeyColor, clNone);
}

TEST(GifLoad, KeyColorComesFromTheTableWhenTheIndexIsInside) {
    GifBuilder b;
    b.header().screen(1, 1, 4).graphicControl(0, 5).frame(0, 0, 1, 1, {0});
    b.graphicControl(0, 2).frame(0, 0, 1, 1, {0});
    b.graphicControl(0, 1).frame(0, 0, 1, 1, {0}, 2);  // local table
    Loaded l(b.bytes);
    ASSERT_EQ(l.image.FrameCount(), 3);
    EXPECT_EQ(l.image.Frame(0).KeyColor, clNone);
    EXPECT_EQ(l.image.Frame(1).KeyColor, GifBuilder::colorOf(2));
    EXPECT_EQ(l.image.Frame(2).KeyColor, GifBuilder::colorOf(1));
    EXPECT_TRUE(l.image.Frame(2).OwnColors);
    EXPECT_TRUE(l.image.Transparent());
}

TEST(GifLoad, ZeroSizeFramesTakeTheLogicalScreenSize) {
    GifBuilder b;
    b.header().screen(3, 2, 2).frame(1, 1, 0, 0, {1, 0, 1, 0, 1, 0});
    Loaded l(b.bytes);
    ASSERT_EQ(l.image.FrameCount(), 1);
    EXPECT_EQ(l.image.Frame(0).Item->FrameWidth, 3);
    EXPECT_EQ(l.image.Frame(0).Item->FrameHeight, 2);
    EXPECT_EQ(l.image.Frame(0).OriginX, 1);
    EXPECT_EQ(l.image.Width(), 3);
    EXPECT_EQ(l.image.Height(), 2);
}

TEST(GifLoad, FileEndingInsideTheLastFrameLoadsItDamaged) {
    auto bytes = oneFrameGif().frame(0, 0, 2, 2, std::vector<uint8_t>(4, 3)).bytes;
    bytes.pop_back();  // the terminator
    bytes.pop_back();  // the last data byte: the sub-block is now short
    Loaded l(bytes);
    EXPECT_EQ(l.error, "");
    ASSERT_EQ(l.image.FrameCount(), 2);
    EXPECT_FALSE(l.image.Frame(0).Damaged);
    EXPECT_TRUE(l.image.Frame(1).Damaged);
    EXPECT_TRUE(l.image.Frame(1).Raster == nullptr);
    EXPECT_EQ(l.image.FrameRaster(1).width(), 2);
}

TEST(GifLoad, FileEndingWithoutTrailerOrWhereALengthByteIsDueLoadsUndamaged) {
    auto bytes = oneFrameGif().bytes;
    Loaded noTrailer(bytes);
    EXPECT_EQ(noTrailer.error, "");
    ASSERT_EQ(noTrailer.image.FrameCount(), 1);
    EXPECT_FALSE(noTrailer.image.Frame(0).Damaged);

    bytes.pop_back();  // no terminator either
    Loaded noTerminator(bytes);
    EXPECT_EQ(noTerminator.error, "");
    EXPECT_FALSE(noTerminator.image.Frame(0).Damaged);
}

TEST(GifLoad, CutShortDescriptorTableOrCodeSizeFails) {
    GifBuilder b;
    b.header().screen(2, 2).raw({0x2C}).u16(0).u16(0).u16(2).u16(2).raw({0x81});
    Loaded shortTable(b.raw({1, 2, 3, 4, 5}).bytes);
    EXPECT_EQ(shortTable.error, "Stream read error");
    GifBuilder c;
    c.header().screen(2, 2, 2).raw({0x2C}).u16(0).u16(0).u16(2);
    EXPECT_EQ(Loaded(c.raw({0}).bytes).error, "Stream read error");
    EXPECT_EQ(Loaded(c.raw({0, 0}).bytes).error, "Stream read error");
}

TEST(GifLoad, ZeroBytesBetweenBlocksAreSkipped) {
    GifBuilder b;
    b.header().screen(1, 1, 2).raw({0, 0}).graphicControl(3).raw({0}).frame(0, 0, 1, 1, {1});
    b.raw({0, 0, 0}).frame(0, 0, 1, 1, {0}).raw({0}).trailer();
    Loaded l(b.bytes);
    EXPECT_EQ(l.error, "");
    ASSERT_EQ(l.image.FrameCount(), 2);
    EXPECT_EQ(l.image.Frame(0).DelayMs, 30);
}

TEST(GifLoad, StrayByteFailsBeforeFramesAndEndsQuietlyAfterOne) {
    GifBuilder afterScreen;
    afterScreen.header().screen(1, 1, 2).raw({0x50}).frame(0, 0, 1, 1, {1});
    EXPECT_EQ(Loaded(afterScreen.bytes).error, "Stream read error");

    GifBuilder afterExtension;
    afterExtension.header().screen(1, 1, 2).graphicControl(1).raw({0x50}).frame(0, 0, 1, 1, {1});
    EXPECT_EQ(Loaded(afterExtension.bytes).error, "Stream read error");

    GifBuilder afterFrame;
    afterFrame.header().screen(1, 1, 2).frame(0, 0, 1, 1, {1}).raw({0x50});
    afterFrame.frame(0, 0, 1, 1, {1});
    Loaded l(afterFrame.bytes);
    EXPECT_EQ(l.error, "");
    EXPECT_EQ(l.image.FrameCount(), 1);
    EXPECT_EQ(l.changes, 1);
}

TEST(GifLoad, ExclamationMarkAsTheLastByteEndsTheDataQuietly) {
    GifBuilder afterScreen;
    afterScreen.header().screen(1, 1, 2).raw({0x21});
    Loaded screen(afterScreen.bytes);
    EXPECT_EQ(screen.error, "");
    EXPECT_EQ(screen.image.FrameCount(), 0);

    GifBuilder afterFrame;
    afterFrame.header().screen(1, 1, 2).frame(0, 0, 1, 1, {1}).raw({0x21});
    Loaded frame(afterFrame.bytes);
    EXPECT_EQ(frame.error, "");
    EXPECT_EQ(frame.image.FrameCount(), 1);

    // After an extension, as after the others; a comment before it is kept
    // as the run that ends the file.
    GifBuilder afterExtension;
    afterExtension.header().screen(1, 1, 2).frame(0, 0, 1, 1, {1}).comment({"last words"});
    Loaded extension(afterExtension.raw({0x21}).bytes);
    EXPECT_EQ(extension.error, "");
    EXPECT_EQ(extension.image.FrameCount(), 1);
    EXPECT_EQ(extension.changes, 1);
    EXPECT_EQ(extension.image.Header->Comments, std::vector<std::string>{"last words"});
}

TEST(GifLoad, CommentsOfTheFinalRunBecomeTheImageComment) {
    GifBuilder b;
    b.header().screen(1, 1, 2).comment({"frame note"}).frame(0, 0, 1, 1, {1});
    b.comment({"first", "second"}).graphicControl(0).comment({"third"}).trailer();
    Loaded l(b.bytes);
    EXPECT_EQ(l.error, "");
    EXPECT_EQ(l.image.Header->Comments,
              (std::vector<std::string>{"first", "second", "\r\n\r\n", "third"}));
    ASSERT_NE(l.image.Frame(0).ExtensionList, nullptr);
    EXPECT_EQ(l.image.Frame(0).ExtensionList->at(0).Kind, TExtension::Comment);
    EXPECT_EQ(l.image.Frame(0).ExtensionList->at(0).Lines[0], "frame note");
}

TEST(GifLoad, UnknownExtensionLabelIsNamedInHex) {
    GifBuilder b;
    b.header().screen(1, 1, 2).raw({0x21, 0x2A, 0}).frame(0, 0, 1, 1, {1});
    EXPECT_EQ(Loaded(b.bytes).error, "Unrecognized extension block: 2A");
    GifBuilder c;
    c.header().screen(1, 1, 2).raw({0x21, 0xAB, 0});
    EXPECT_EQ(Loaded(c.bytes).error, "Unrecognized extension block: AB");
}

TEST(GifLoad, FrameWithoutAnyColorTableFailsToDecode) {
    GifBuilder b;
    b.header().screen(1, 1).frame(0, 0, 1, 1, {0}).frame(0, 0, 1, 1, {0}, 2);
    Loaded l(b.bytes);
    EXPECT_EQ(l.error, "Wrong number of colors; must be a power of 2");
    EXPECT_EQ(l.changes, 0);
    // Frame 0 is removed; the former frame 1 is now current.
    ASSERT_EQ(l.image.FrameCount(), 1);
    EXPECT_EQ(l.image.CurrentFrame, 0);
    EXPECT_TRUE(l.image.Frame(0).OwnColors);

    Loaded lazy(b.bytes, false);
    EXPECT_EQ(lazy.error, "");
    EXPECT_EQ(lazy.changes, 1);
    EXPECT_THROW(lazy.image.FrameRaster(0), EError);
}

TEST(GifLoad, CodeSizeOutOfRange) {
    GifBuilder b;
    b.header().screen(2, 1, 4).frame(0, 0, 2, 1, {1, 2}, 0, false, 10);
    Loaded l(b.bytes);
    EXPECT_EQ(l.error, "");
    EXPECT_TRUE(l.image.Frame(0).Damaged);
    ASSERT_NE(l.image.Frame(0).Raster, nullptr);
    EXPECT_EQ(l.image.Frame(0).Raster->scanLine(0)[0], 0);
}

TEST(GifLoad, CorruptExpansionLoadsDamaged) {
    std::vector<uint32_t> codes{4, 0};
    for (uint32_t c = 6; c < 4096; ++c) codes.push_back(c);
    // After the clear, literals widen the codes back to 12 bits; then the
    // stale entry 4095 (4091 pixels) is extended by KwKwK codes.
    codes.push_back(4);
    for (int i = 0; i < 2043; ++i) codes.push_back(0);
    codes.push_back(4095);
    for (uint32_t c = 2049; c < 2060; ++c) codes.push_back(c);
    GifBuilder b;
    b.header().screen(4096, 4096, 4).raw({0x2C}).u16(0).u16(0).u16(4096).u16(4096).raw({0, 2});
    b.subBlocks(packCodes(codes, 2));
    Loaded l(b.bytes);
    EXPECT_EQ(l.error, "");
    EXPECT_TRUE(l.image.Frame(0).Damaged);
}

TEST(GifLoad, HugeFramesAreRefusedBeforeAllocation) {
    GifBuilder b;
    b.header().screen(1, 1, 2).raw({0x2C}).u16(0).u16(0).u16(65535).u16(65535).raw({0, 2});
    b.subBlocks(packCodes({4, 1, 5}, 2));
    Loaded l(b.bytes);
    EXPECT_NE(l.error.find("System Error"), std::string::npos);
    EXPECT_EQ(l.image.FrameCount(), 0);

    Loaded lazy(b.bytes, false);
    EXPECT_EQ(lazy.error, "");
    EXPECT_THROW(lazy.image.FrameRaster(0), EError);
    EXPECT_EQ(lazy.image.Frame(0).Raster, nullptr);
}

TEST(GifLoad, ALaterLoadReplacesEverything) {
    GifBuilder b;
    b.header().screen(1, 1, 2).application("NETSCAPE2.0", {std::string("\x01\x03\x00", 3)});
    b.frame(0, 0, 1, 1, {1}).comment({"c"});
    Loaded l(b.bytes);
    auto oldHeader = l.image.Header;
    const auto next = oneFrameGif().bytes;
    std::istringstream in(std::string(next.begin(), next.end()));
    LoadGif(l.image, in, int64_t(next.size()), true);
    EXPECT_NE(l.image.Header, oldHeader);
    EXPECT_TRUE(l.image.Header->Comments.empty());
    EXPECT_FALSE(l.image.HasLoopBlock);
    EXPECT_EQ(l.image.LoopCount, 1);
    EXPECT_EQ(l.changes, 2);

    TGIFImage copy;
    copy.Assign(l.image);
    EXPECT_EQ(copy.Header, l.image.Header);
    EXPECT_EQ(copy.Frame(0).Item, l.image.Frame(0).Item);
    EXPECT_EQ(copy.FrameRaster(0).toArgb32(), l.image.FrameRaster(0).toArgb32());
}

/// A folder of its own for each file test, removed afterwards.
class GifFile : public testing::Test {
protected:
    std::string path(const char* name) const { return folder_.File(name); }
    std::string write(const char* name, const std::vector<uint8_t>& bytes) const {
        return folder_.Write(name, bytes);
    }

    TTempFolder folder_{"tarvel-gif"};
};

TEST_F(GifFile, LoadsRegularFilesAndRefusesEverythingElse) {
    TGIFImage image;
    int changes = 0;
    image.OnChange = [&] { ++changes; };
    image.LoadFromFile(write("IMG_0001.GIF", oneFrameGif().bytes));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(image.Empty());
    ASSERT_NE(image.Frame(0).Raster, nullptr);

    const std::string fifo = path("pipe.gif");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& refused :
         {std::string("/nonexistent/a.gif"), std::string("/tmp"), std::string("/dev/zero"), fifo}) {
        try {
            image.LoadFromFile(refused);
            ADD_FAILURE() << refused;
        } catch (const EError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot open file " + refused);
        }
    }
    // Nothing was reset by the refused paths.
    EXPECT_EQ(image.FrameCount(), 1);
}

TEST_F(GifFile, AFileBeyondTheReadLimitIsRefusedBeforeReading) {
    // A sparse 2 GiB file: reading it whole would exhaust memory first.
    const std::string big = path("big.gif");
    {
        std::FILE* f = std::fopen(big.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(ftruncate(fileno(f), off_t(2) << 30), 0);
        std::fclose(f);
    }
    TGIFImage image;
    image.LoadFromFile(write("a.gif", oneFrameGif().bytes));
    try {
        image.LoadFromFile(big);
        ADD_FAILURE() << "loaded";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("System Error.  Code: 12.", 0), 0u) << e.what();
    }
    EXPECT_EQ(image.FrameCount(), 1);  // the previous picture was not reset
}

}  // namespace
