#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "viewers/html/LocalFilePolicy.h"

namespace {

class LocalFilePolicyTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarvel-policy-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Write(const std::string& name) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path) << "x";
        return path;
    }

    std::string dir_;
};

TEST_F(LocalFilePolicyTest, ClassifiesWhatIsOnDisk) {
    EXPECT_EQ(ClassifyLocalPath(Write("page.html")), TLocalTarget::Page);
    EXPECT_EQ(ClassifyLocalPath(Write("PAGE.HTM")), TLocalTarget::Page);
    EXPECT_EQ(ClassifyLocalPath(Write("doc.xhtml")), TLocalTarget::Page);
    EXPECT_EQ(ClassifyLocalPath(Write("notes.txt")), TLocalTarget::File);
    EXPECT_EQ(ClassifyLocalPath(Write("html")), TLocalTarget::File);
    EXPECT_EQ(ClassifyLocalPath(Write("page.html.txt")), TLocalTarget::File);
    EXPECT_EQ(ClassifyLocalPath(dir_), TLocalTarget::Directory);
    EXPECT_EQ(ClassifyLocalPath(dir_ + "/missing.html"), TLocalTarget::Missing);
    EXPECT_EQ(ClassifyLocalPath(""), TLocalTarget::Missing);
    EXPECT_EQ(ClassifyLocalPath("/dev/null"), TLocalTarget::Special);
    const std::string fifo = dir_ + "/pipe.html";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ClassifyLocalPath(fifo), TLocalTarget::Special);
}

TEST_F(LocalFilePolicyTest, ALinkNamedLikeAPageIsJudgedByItsTarget) {
    const std::string secret = Write("id_rsa");
    const std::string disguised = dir_ + "/readme.html";
    ASSERT_EQ(::symlink(secret.c_str(), disguised.c_str()), 0);
    EXPECT_EQ(ClassifyLocalPath(disguised), TLocalTarget::File);

    const std::string page = Write("real.html");
    const std::string alias = dir_ + "/alias.htm";
    ASSERT_EQ(::symlink(page.c_str(), alias.c_str()), 0);
    EXPECT_EQ(ClassifyLocalPath(alias), TLocalTarget::Page);

    const std::string folderLink = dir_ + "/folder.html";
    ASSERT_EQ(::symlink(dir_.c_str(), folderLink.c_str()), 0);
    EXPECT_EQ(ClassifyLocalPath(folderLink), TLocalTarget::Directory);
}

TEST(LocalFilePolicy, PagesKeepTheirResourcesButScriptReadsNothing) {
    using K = TRequestKind;
    using T = TLocalTarget;
    // Links lead anywhere a page or a folder can be shown.
    EXPECT_TRUE(AllowLocalRequest(K::Navigation, T::Page));
    EXPECT_TRUE(AllowLocalRequest(K::Navigation, T::File));
    EXPECT_TRUE(AllowLocalRequest(K::Navigation, T::Directory));
    EXPECT_TRUE(AllowLocalRequest(K::Navigation, T::Missing));
    // Frames: pages only; a listing or another file would be readable by script.
    EXPECT_TRUE(AllowLocalRequest(K::Frame, T::Page));
    EXPECT_FALSE(AllowLocalRequest(K::Frame, T::File));
    EXPECT_FALSE(AllowLocalRequest(K::Frame, T::Directory));
    EXPECT_FALSE(AllowLocalRequest(K::Frame, T::Missing));
    // Images, style sheets and scripts from anywhere, but no listing.
    EXPECT_TRUE(AllowLocalRequest(K::Subresource, T::File));
    EXPECT_TRUE(AllowLocalRequest(K::Subresource, T::Page));
    EXPECT_TRUE(AllowLocalRequest(K::Subresource, T::Missing));
    EXPECT_FALSE(AllowLocalRequest(K::Subresource, T::Directory));
    // What script reads itself never reaches a local file.
    for (T target : {T::Page, T::File, T::Directory, T::Missing}) {
        EXPECT_FALSE(AllowLocalRequest(K::ScriptRead, target));
    }
    // Reading a device or a pipe may never end.
    for (K kind : {K::Navigation, K::Frame, K::Subresource, K::ScriptRead}) {
        EXPECT_FALSE(AllowLocalRequest(kind, T::Special));
    }
}

}  // namespace
