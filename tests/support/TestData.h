#pragma once

// Where tests and benchmarks find the files they read (Qt-free, header only).
//
// A test's own inputs are made by the test (BmpBuilder, GifBuilder, EncodeJpeg)
// or, when a file found by fuzzing must stay as it was, committed under
// tests/<area>/data/ and read with ReadTestFile. Such a file is part of the
// project: when it is missing the checkout is broken, and ReadTestFile throws
// with its name, which fails the test at once.
//
// The shared real-world pictures (GIF, BMP, JPEG from public projects) are an
// extra layer: they live outside the project, in the folder named by the
// TARVEL_TESTDATA environment variable, else in the one configured at build
// time (../shared/testdata beside the source folder). A clone has none of
// them, so a test that reads them starts with
//
//     TARVEL_NEED_SHARED("wuffs");
//
// which skips it with one line naming the folder it looked for.

// C++
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

// System
#include <sys/stat.h>

#ifndef TARVEL_TESTDATA
#define TARVEL_TESTDATA ""
#endif

/// The folder of the shared real-world files for this run.
inline std::string SharedTestDataDir() {
    const char* chosen = std::getenv("TARVEL_TESTDATA");
    return chosen && *chosen ? std::string(chosen) : std::string(TARVEL_TESTDATA);
}

/// The path of a file or folder inside the shared folder.
inline std::string SharedTestPath(const std::string& relative) {
    return SharedTestDataDir() + "/" + relative;
}

/// True when the shared file or folder is there to read.
inline bool HasSharedTestData(const std::string& relative) {
    struct stat st {};
    return ::stat(SharedTestPath(relative).c_str(), &st) == 0;
}

/// The one line a test or benchmark gives when it is skipped for want of shared data.
inline std::string SharedTestDataMissing(const std::string& relative) {
    return "no shared test data at " + SharedTestPath(relative) + " (see TARVEL_TESTDATA)";
}

/// Skips the current test when the shared file or folder is absent.
#define TARVEL_NEED_SHARED(relative)                                                       \
    do {                                                                                   \
        if (!HasSharedTestData(relative)) GTEST_SKIP() << SharedTestDataMissing(relative); \
    } while (0)

/// The whole of a file; throws, naming it, when it cannot be read.
inline std::vector<uint8_t> ReadTestFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error("cannot read test file " + path + ": " + std::strerror(errno));
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw std::runtime_error("cannot read test file " + path);
    return data;
}
