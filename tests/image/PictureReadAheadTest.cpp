// Pictures read ahead of their showing: what Take gives must be what a load
// on demand gives (pixels, failures and when they come), only while the file
// is unchanged, and within the memory the pool allows.

// Tests
#include <gtest/gtest.h>

// C
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// C++
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// Project
#include "ImageTestSupport.h"
#include "base/Bitmap.h"
#include "base/Error.h"
#include "base/MemoryBudget.h"
#include "support/TempFolder.h"
#include "viewers/image/core/Graphic.h"
#include "viewers/image/core/JpegImage.h"
#include "viewers/image/core/PictureFormats.h"
#include "viewers/image/core/PictureReadAhead.h"

namespace {

class PictureReadAheadTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return folder_.Write(name, bytes);
    }

    TTempFolder folder_{"tarvel-readahead"};
};

// What showing a picture does with it: the first Pixels() (the first draw)
// and what it reports, then the pixels.
struct Shown {
    std::string message;
    std::vector<uint32_t> pixels;
};
Shown Show(TGraphic& graphic) {
    Shown s;
    s.message = MessageOf([&] { graphic.Pixels(); });
    s.pixels = graphic.Pixels().toArgb32();
    return s;
}

TEST_F(PictureReadAheadTest, GivesWhatALoadOnDemandGives) {
    const std::vector<uint8_t> good = EncodePhoto(320, 200);
    std::vector<uint8_t> damaged = good;  // a Huffman table that is never defined
    for (size_t i = 0; i + 1 < damaged.size(); ++i)
        if (damaged[i] == 0xFF && damaged[i + 1] == 0xDA) {
            damaged[i + 6] = 0x33;
            break;
        }
    const std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2));
    const std::vector<std::string> paths = {Write("IMG_0001.JPG", good),
                                            Write("damaged.jpg", damaged), Write("cut.jpeg", cut),
                                            Write("empty.jpg", {}), Write("text.jpg", {'h', 'i'})};

    TPictureReadAhead readAhead(TPictureFormats::Default());
    readAhead.SetWanted(paths);
    readAhead.WaitUntilRead();
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        TPictureReadAhead onDemand(TPictureFormats::Default());
        std::string loadMessage;
        std::unique_ptr<TGraphic> reference;
        loadMessage = MessageOf([&] { reference = onDemand.Load(path); });
        // A file that fails to load is not held: showing it loads it again
        // and reports the failure then.
        std::unique_ptr<TGraphic> ahead = readAhead.Take(path);
        if (!reference) {
            EXPECT_NE(loadMessage, "<no error>");
            EXPECT_EQ(ahead, nullptr);
            continue;
        }
        ASSERT_NE(ahead, nullptr);
        // Failures of the decode come at the first draw, once, as on demand.
        const Shown a = Show(*ahead), b = Show(*reference);
        EXPECT_EQ(a.message, b.message);
        EXPECT_EQ(a.pixels, b.pixels);
        EXPECT_EQ(MessageOf([&] { ahead->Pixels(); }), "<no error>");
    }
}

TEST_F(PictureReadAheadTest, FileChangedAfterReadingIsLoadedAgain) {
    const std::string path = Write("a.jpg", EncodePhoto(64, 48));
    TPictureReadAhead readAhead(TPictureFormats::Default());
    readAhead.SetWanted({path});
    readAhead.WaitUntilRead();
    Write("a.jpg", EncodePhoto(80, 48));
    // Another modification time: the same size would pass otherwise.
    struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(readAhead.Take(path), nullptr);

    // Still wanted when its file changes: what was held is dropped and read again.
    readAhead.SetWanted({path});
    readAhead.WaitUntilRead();
    Write("a.jpg", EncodePhoto(96, 48));
    readAhead.SetWanted({path});
    readAhead.WaitUntilRead();
    std::unique_ptr<TGraphic> again = readAhead.Take(path);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Width(), 96);
}

TEST_F(PictureReadAheadTest, StaysWithinItsShareOfThePool) {
    // 100 x 100: 40,000 bytes drawn, and its file bytes; room for one only.
    const std::string a = Write("a.jpg", EncodePhoto(100, 100));
    const std::string b = Write("b.jpg", EncodePhoto(100, 100));
    TPictureReadAhead readAhead(TPictureFormats::Default(), 60000);
    readAhead.SetWanted({a, b});
    readAhead.WaitUntilRead();
    EXPECT_GT(readAhead.Pool().Held(), 40000u);
    std::unique_ptr<TGraphic> first = readAhead.Take(a);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(readAhead.Take(b), nullptr) << "read beyond its share";
    // The picture shown counts too, and stays in the pool until it goes.
    first->Pixels();
    EXPECT_GT(readAhead.Pool().Held(), 40000u);
    first.reset();
    EXPECT_EQ(readAhead.Pool().Held(), 0u);
    // Dropped when no longer wanted.
    readAhead.SetWanted({b});
    readAhead.WaitUntilRead();
    EXPECT_GT(readAhead.Pool().Held(), 0u);
    EXPECT_GT(ReadAheadPool().Held(), 0u) << "a picture held ahead counts among every kind's";
    readAhead.SetWanted({});
    EXPECT_EQ(readAhead.Count(), 0u);
    EXPECT_EQ(readAhead.Pool().Held(), 0u);
    EXPECT_EQ(ReadAheadPool().Held(), 0u);

    // While texts and pages held ahead fill the pool of every kind, no
    // picture is read ahead; shown, it loads as without read-ahead.
    TBudgetShare others = ReadAheadPool().Take(ReadAheadPool().Limit() - 1000);
    readAhead.SetWanted({b});
    readAhead.WaitUntilRead();
    EXPECT_EQ(readAhead.Take(b), nullptr);
    EXPECT_NE(readAhead.Load(b), nullptr);
    others.Release();
    readAhead.SetWanted({a});
    readAhead.WaitUntilRead();
    EXPECT_NE(readAhead.Take(a), nullptr);
}

TEST_F(PictureReadAheadTest, ThePictureShownIsKeptOnlyWhileItShowsAsANewLoadWould) {
    const std::vector<uint8_t> good = EncodePhoto(64, 48);
    std::vector<uint8_t> damaged = good;
    for (size_t i = 0; i + 1 < damaged.size(); ++i)
        if (damaged[i] == 0xFF && damaged[i + 1] == 0xDA) {
            damaged[i + 6] = 0x33;
            break;
        }
    const std::string a = Write("a.jpg", good), d = Write("d.jpg", damaged);
    TPictureReadAhead readAhead(TPictureFormats::Default());

    TPictureReadAhead::TStamp stamp;
    std::unique_ptr<TGraphic> shown = readAhead.Load(a, &stamp);
    const std::vector<uint32_t> pixels = shown->Pixels().toArgb32();
    readAhead.GiveBack(a, std::move(shown), stamp);
    std::unique_ptr<TGraphic> again = readAhead.Take(a);
    ASSERT_NE(again, nullptr) << "stepping back to it costs nothing";
    EXPECT_EQ(again->Pixels().toArgb32(), pixels);

    // Its failure was reported when it was drawn; shown again it must report
    // again, so it is loaded afresh.
    std::unique_ptr<TGraphic> broken = readAhead.Load(d, &stamp);
    EXPECT_NE(MessageOf([&] { broken->Pixels(); }), "<no error>");
    readAhead.GiveBack(d, std::move(broken), stamp);
    EXPECT_EQ(readAhead.Take(d), nullptr);
}

TEST_F(PictureReadAheadTest, DroppingADecodeUnderWayStopsIt) {
    const std::string big = Write("big.jpg", EncodePhoto(3000, 2000));
    for (int i = 0; i < 5; ++i) {
        TPictureReadAhead readAhead(TPictureFormats::Default());
        readAhead.SetWanted({big});
        if (i % 2) readAhead.SetWanted({});
        // Destroyed with the decode under way or dropped: no leak, no wait
        // for a whole decode, nothing held.
    }
    TPictureReadAhead readAhead(TPictureFormats::Default());
    readAhead.SetEnabled(false);
    readAhead.SetWanted({big});
    EXPECT_EQ(readAhead.Count(), 0u);
}

}  // namespace
