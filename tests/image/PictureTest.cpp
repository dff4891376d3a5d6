// Tests
#include <gtest/gtest.h>

// System
#include <sys/stat.h>
#include <unistd.h>

// C++
#include <cstdio>
#include <filesystem>

// Project
#include "BmpBuilder.h"
#include "ImageTestSupport.h"
#include "support/TempFolder.h"
#include "viewers/image/core/BmpGraphic.h"
#include "viewers/image/core/Graphic.h"
#include "viewers/image/core/ImageFile.h"
#include "viewers/image/core/JpegImage.h"
#include "viewers/image/core/Picture.h"
#include "viewers/image/core/PictureFormats.h"

namespace {

namespace fs = std::filesystem;

class TempDir : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return folder_.Write(name, bytes);
    }
    TTempFolder folder_{"tarvel-image"};
    const std::string dir_ = folder_.Path();
};

TEST(PictureFormats, ExtensionOfAPath) {
    EXPECT_EQ(TPictureFormats::ExtensionOf("/a/b.jpg"), "jpg");
    EXPECT_EQ(TPictureFormats::ExtensionOf("/a/b.tar.gz"), "gz");
    EXPECT_EQ(TPictureFormats::ExtensionOf("/a.d/notes"), "");
    EXPECT_EQ(TPictureFormats::ExtensionOf("/a/notes"), "");
    EXPECT_EQ(TPictureFormats::ExtensionOf("/a/.jpg"), "jpg");
    EXPECT_EQ(TPictureFormats::ExtensionOf("/a/b."), "");
}

TEST(PictureFormats, LookupIgnoresCaseAndTheLastEntryWins) {
    const TPictureFormats& formats = TPictureFormats::Default();
    ASSERT_EQ(formats.Formats().size(), 3u);
    EXPECT_EQ(formats.Find("BMP")->description, "Bitmaps");
    EXPECT_EQ(formats.Find("Jpg")->description, "JPEG Image File");
    EXPECT_EQ(formats.Find("jpeg")->description, "JPEG Image File");
    EXPECT_EQ(formats.Find("gif"), nullptr);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(formats.CreateFor("/x/a.JPEG").get()), nullptr);
    EXPECT_NE(dynamic_cast<TBmpGraphic*>(formats.CreateFor("/x/a.bmp").get()), nullptr);

    TPictureFormats custom = formats;
    custom.Add({"BMP", "Other", [] { return std::make_unique<TJPEGImage>(); }});
    EXPECT_EQ(custom.Find("bmp")->description, "Other");
    EXPECT_NE(dynamic_cast<TJPEGImage*>(custom.CreateFor("/x/a.bmp").get()), nullptr);
}

TEST(PictureFormats, UnknownExtensionNamesItAsWritten) {
    EXPECT_EQ(MessageOf([] { TPictureFormats::Default().CreateFor("/x/a.PNG"); }),
              "Unknown picture file extension (.PNG)");
    EXPECT_EQ(MessageOf([] { TPictureFormats::Default().CreateFor("/x.y/noext"); }),
              "Unknown picture file extension (.)");
}

using PictureTest = TempDir;

TEST_F(PictureTest, FailedLoadKeepsThePreviousPicture) {
    BmpBuilder b;
    b.width = 3;
    b.height = 2;
    b.pixels.resize(24);
    TPicture picture;
    picture.LoadFromFile(Write("a.bmp", b.Build()));
    TGraphic* before = picture.Graphic();
    ASSERT_NE(before, nullptr);

    const std::string text = "not a picture";
    const std::string textJpg = Write("text.jpg", std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_NE(MessageOf([&] { picture.LoadFromFile(textJpg); }), "<no error>");
    EXPECT_EQ(MessageOf([&] { picture.LoadFromFile(dir_ + "/missing.bmp"); }),
              "Cannot open file " + dir_ + "/missing.bmp");
    EXPECT_EQ(MessageOf([&] { picture.LoadFromFile(dir_ + "/a.txt"); }),
              "Unknown picture file extension (.txt)");
    EXPECT_EQ(picture.Graphic(), before);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 2);

    picture.LoadFromFile(Write("b.jpg", EncodePhoto(100, 75)));
    EXPECT_EQ(picture.Width(), 100);
    picture.LoadFromFile(Write("empty.bmp", {}));
    EXPECT_EQ(picture.Width(), 0);
}

using ImageFileTest = TempDir;

TEST_F(ImageFileTest, OnlyRegularFilesAreOpened) {
    const std::string fifo = dir_ + "/pipe.jpg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir_ + "/folder.bmp");
    for (const std::string& path :
         {fifo, dir_ + "/folder.bmp", std::string("/dev/zero"), dir_ + "/missing.jpg"}) {
        EXPECT_EQ(MessageOf([&] { TImageFile::ReadAll(path); }), "Cannot open file " + path);
        EXPECT_EQ(MessageOf([&] { TPicture().LoadFromFile(path); }),
                  path == "/dev/zero" ? "Unknown picture file extension (.)"
                                      : "Cannot open file " + path);
    }
    // A link to a regular file is a regular file.
    const std::string target = Write("real.bmp", {});
    fs::create_symlink(target, dir_ + "/link.bmp");
    EXPECT_EQ(MessageOf([&] { TPicture().LoadFromFile(dir_ + "/link.bmp"); }), "<no error>");
}

TEST_F(ImageFileTest, ReadsWholeFilesAndStopsAtTheEnd) {
    const std::string path = Write("data.jpg", {1, 2, 3, 4, 5});
    EXPECT_EQ(TImageFile::ReadAll(path), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    TImageFile file(path);
    uint8_t buf[8];
    EXPECT_EQ(file.Skip(2), 2u);
    EXPECT_EQ(file.Read(buf, 8), 3u);
    EXPECT_EQ(buf[0], 3);
    EXPECT_EQ(file.Read(buf, 8), 0u);
    EXPECT_EQ(MessageOf([&] { file.ReadBuffer(buf, 1); }), "Stream read error");
}

}  // namespace
