#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/TempFolder.h"
#include "viewers/html/core/LocalFilePolicy.h"

namespace {

class LocalFilePolicyTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name) { return folder_.Write(name, "x"); }

    TTempFolder folder_{"tarvel-policy"};
    const std::string dir_ = folder_.Path();
};

TEST_F(LocalFilePolicyTest, ClassifiesWhatIsOnDiskThroughLinks) {
    const std::string page = Write("page.html");
    EXPECT_EQ(ClassifyLocalPath(page), TLocalTarget::File);
    EXPECT_EQ(ClassifyLocalPath(dir_), TLocalTarget::Directory);
    EXPECT_EQ(ClassifyLocalPath(dir_ + "/missing.html"), TLocalTarget::Missing);
    EXPECT_EQ(ClassifyLocalPath(""), TLocalTarget::Missing);
    EXPECT_EQ(ClassifyLocalPath("/dev/null"), TLocalTarget::Special);
    const std::string fifo = dir_ + "/pipe.html";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ClassifyLocalPath(fifo), TLocalTarget::Special);
    const std::string folderLink = dir_ + "/folder.html";
    ASSERT_EQ(::symlink(dir_.c_str(), folderLink.c_str()), 0);
    EXPECT_EQ(ClassifyLocalPath(folderLink), TLocalTarget::Directory);
    const std::string pipeLink = dir_ + "/lib.js";
    ASSERT_EQ(::symlink(fifo.c_str(), pipeLink.c_str()), 0);
    EXPECT_EQ(ClassifyLocalPath(pipeLink), TLocalTarget::Special);
    // Kernel files look regular, but their sizes say nothing and reads block.
    EXPECT_EQ(ClassifyLocalPath("/proc/self/status"), TLocalTarget::Special);
    EXPECT_EQ(ClassifyLocalPath("/sys/kernel/uevent_seqnum"), TLocalTarget::Special);
    // A decoded %00 or other control character is never looked up: the name
    // would be cut there.
    EXPECT_EQ(ClassifyLocalPath(page + std::string(1, '\0') + ".html"), TLocalTarget::Missing);
    EXPECT_EQ(ClassifyLocalPath(std::string(page).insert(dir_.size() + 1, "\n")),
              TLocalTarget::Missing);
}

TEST(LocalFilePolicy, DocumentsAreTypedAsPagesOnlyWhenNamedAsPages) {
    EXPECT_STREQ(DocumentTypeOf("/a/Index.HTM"), "text/html");
    EXPECT_STREQ(DocumentTypeOf("/a/page.xhtml"), "application/xhtml+xml");
    EXPECT_STREQ(DocumentTypeOf("/a/pic.svg"), "image/svg+xml");
    for (const char* name : {"/a/notes.txt", "/a/History", "/a/page.html.txt", "/a/x.php", ""}) {
        EXPECT_STREQ(DocumentTypeOf(name), "text/plain") << name;
    }
}

TEST(LocalFilePolicy, OnlyFilesNamedAsScriptsRun) {
    for (const char* name : {"/a/lib.js", "/a/APP.JS", "/a/mod.mjs", "/a/common.cjs",
                             "/saved_files/jquery.min.js.download", "/a/b.JS.Download"}) {
        EXPECT_TRUE(HasScriptName(name)) << name;
    }
    for (const char* name : {"/a/data.json", "/a/style.css", "/a/notes.txt", "/home/me/.ssh/id_rsa",
                             "/a/js", "/a/lib.js.map", "/a/x.download", "/a/.js.txt", ""}) {
        EXPECT_FALSE(HasScriptName(name)) << name;
    }
}

TEST_F(LocalFilePolicyTest, ALinkNamedLikeAScriptIsJudgedByItsTarget) {
    const std::string secret = Write("id_rsa");
    const std::string disguised = dir_ + "/helper.js";
    ASSERT_EQ(::symlink(secret.c_str(), disguised.c_str()), 0);
    EXPECT_FALSE(IsScriptFile(disguised));
    const std::string lib = Write("lib.js");
    const std::string alias = dir_ + "/alias.mjs";
    ASSERT_EQ(::symlink(lib.c_str(), alias.c_str()), 0);
    EXPECT_TRUE(IsScriptFile(alias));
    EXPECT_TRUE(IsScriptFile(lib));
    EXPECT_FALSE(IsScriptFile(dir_ + "/missing.js"));
    EXPECT_FALSE(IsScriptFile(Write("data.json")));
}

TLocalRoute Route(TRequestKind kind, TLocalAddress address, bool scriptName = true,
                  TLocalTarget target = TLocalTarget::File, bool fromLocalPage = true,
                  bool keyOfInitiator = true) {
    TLocalRequest r;
    r.keyOfInitiator = keyOfInitiator;
    r.kind = kind;
    r.address = address;
    r.target = target;
    r.fromLocalPage = fromLocalPage;
    r.scriptName = scriptName;
    return RouteLocalRequest(r);
}

TEST(LocalFilePolicy, EachKindOfRequestGoesWhereItCannotBeRead) {
    using K = TRequestKind;
    using A = TLocalAddress;
    using R = TLocalRoute;
    // Documents live at their own origin, wherever the page pointed.
    EXPECT_EQ(Route(K::Document, A::OwnOrigin), R::Pass);
    EXPECT_EQ(Route(K::Document, A::OtherOrigin), R::ToOwnOrigin);
    EXPECT_EQ(Route(K::Document, A::File), R::ToOwnOrigin);
    EXPECT_EQ(Route(K::Document, A::PassedFile), R::ToOwnOrigin);
    EXPECT_EQ(Route(K::Document, A::Gate), R::Block);
    // Scripts and fonts come from file URLs; data never runs as a script.
    EXPECT_EQ(Route(K::Script, A::OtherOrigin), R::ToFile);
    EXPECT_EQ(Route(K::Script, A::OwnOrigin), R::ToFile);
    EXPECT_EQ(Route(K::Script, A::Gate), R::ToFile);
    EXPECT_EQ(Route(K::Script, A::File), R::Pass);
    for (A address : {A::File, A::OtherOrigin}) {
        EXPECT_EQ(Route(K::Script, address, false), R::Block);
    }
    EXPECT_EQ(Route(K::Font, A::OtherOrigin, false), R::ToFile);
    EXPECT_EQ(Route(K::Font, A::File, false), R::Pass);
    // Pictures, style sheets and media pass the gate; a file URL the page
    // wrote itself goes there too, only the gate's own pass goes on.
    EXPECT_EQ(Route(K::Passive, A::OtherOrigin), R::ToGate);
    EXPECT_EQ(Route(K::Passive, A::OwnOrigin), R::ToGate);
    EXPECT_EQ(Route(K::Passive, A::File), R::ToGate);
    EXPECT_EQ(Route(K::Passive, A::Gate), R::Pass);
    EXPECT_EQ(Route(K::Passive, A::PassedFile), R::Pass);
    // Another origin's address that no local document resolved came from the
    // web (a redirect) or from a guess: nothing of it is shown.
    for (K kind : {K::Document, K::Script, K::Font, K::Passive}) {
        EXPECT_EQ(Route(kind, A::OtherOrigin, true, TLocalTarget::File, true, false), R::Block);
    }
    // What script reads itself never reaches a local file.
    for (A address : {A::File, A::PassedFile, A::OwnOrigin, A::OtherOrigin, A::Gate}) {
        EXPECT_EQ(Route(K::Other, address), R::Block);
    }
}

TEST(LocalFilePolicy, WebPagesFoldersDevicesAndMissingFilesAreNeverRead) {
    using K = TRequestKind;
    using T = TLocalTarget;
    for (K kind : {K::Document, K::Script, K::Font, K::Passive, K::Other}) {
        for (TLocalAddress address : {TLocalAddress::File, TLocalAddress::OwnOrigin,
                                      TLocalAddress::Gate, TLocalAddress::PassedFile}) {
            EXPECT_EQ(Route(kind, address, true, T::File, false), TLocalRoute::Block);
            for (T target : {T::Directory, T::Special, T::Missing}) {
                EXPECT_EQ(Route(kind, address, true, target), TLocalRoute::Block);
            }
        }
    }
}

}  // namespace
