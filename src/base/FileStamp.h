#pragma once

#include <cstdint>
#include <string>

/// A file as stat() sees it: two stamps differ when the file was written,
/// replaced or removed between them. What was read of a file (ahead of
/// showing it, or when it was shown) is trusted only while its stamp holds.
struct TFileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = -1;  // -1: no regular file there
    int64_t seconds = 0;
    int64_t nanoseconds = 0;  // of the last modification

    static TFileStamp Of(const std::string& path);
    bool Exists() const { return size >= 0; }
    bool SameFile(const TFileStamp& other) const {
        return Exists() && device == other.device && inode == other.inode;
    }
    bool operator==(const TFileStamp&) const = default;
};
