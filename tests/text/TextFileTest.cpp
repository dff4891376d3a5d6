// Whole-file reading: regular files only, the size refused before reading,
// the path in the message exactly as given.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/Error.h"
#include "support/TempFolder.h"
#include "viewers/text/core/TextFile.h"

using text::ReadWholeFile;

namespace {

class TextFileTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) {
        return folder_.Write(name, bytes);
    }

    std::string messageOf(const std::string& path, std::size_t capacity = 1 << 20) {
        try {
            ReadWholeFile(path, path, capacity);
        } catch (const EError& e) {
            return e.what();
        }
        return "(no error)";
    }

    TTempFolder folder_{"tarvel-textfile"};
    const std::string dir_ = folder_.Path();
};

}  // namespace

TEST_F(TextFileTest, ReadsEveryByte) {
    const std::string bytes("a\0b\r\n\xff", 6);
    EXPECT_EQ(ReadWholeFile(write("a.txt", bytes), "a.txt", 100), bytes);
    EXPECT_EQ(ReadWholeFile(write("empty.txt", ""), "empty.txt", 100), "");
}

TEST_F(TextFileTest, WhatIsNoRegularFileCannotBeOpened) {
    const std::string missing = dir_ + "/missing.txt";
    EXPECT_EQ(messageOf(missing), "Cannot open file " + missing);
    EXPECT_EQ(messageOf(dir_), "Cannot open file " + dir_);

    // A FIFO without a writer would block a plain open or read for ever.
    const std::string fifo = dir_ + "/pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(messageOf(fifo), "Cannot open file " + fifo);
    EXPECT_EQ(messageOf("/dev/zero"), "Cannot open file /dev/zero");
}

TEST_F(TextFileTest, UnreadableFileCannotBeOpened) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads files without permission";
    const std::string path = write("secret.txt", "x");
    ::chmod(path.c_str(), 0);
    EXPECT_EQ(messageOf(path), "Cannot open file " + path);
}

TEST_F(TextFileTest, TheMessageShowsThePathAsGiven) {
    try {
        ReadWholeFile(dir_ + "/nope", "relative/ä b.txt", 10);
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file relative/ä b.txt");
    }
}

TEST_F(TextFileTest, SizeAboveCapacityIsRefusedBeforeReading) {
    const std::string path = write("big.txt", std::string(101, 'x'));
    EXPECT_EQ(messageOf(path, 100), "Text exceeds memo capacity");
    EXPECT_EQ(ReadWholeFile(path, path, 101).size(), 101u);

    // A sparse file of many gigabytes is refused at once, not read.
    const std::string huge = dir_ + "/huge.txt";
    ASSERT_EQ(::truncate(write("huge.txt", "").c_str(), 0), 0);
    ASSERT_EQ(::truncate(huge.c_str(), 64LL << 30), 0);
    EXPECT_EQ(messageOf(huge, 256u << 20), "Text exceeds memo capacity");
}
