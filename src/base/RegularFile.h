#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Messages.h"

/**
 * A regular file opened for reading. Anything else (a FIFO, a device, a
 * socket, a folder) is refused before it is opened for reading, so that
 * showing one can neither block the window nor read endless data; the check
 * is repeated on the open descriptor for a path swapped in between.
 */
class TRegularFile {
public:
    /// Whole-file readers refuse files above this size: far above any picture
    /// that fits the pixel limit, and a bigger file would only make the system
    /// swap before a decoder refused it.
    static constexpr uint64_t kMaxWholeFileBytes = uint64_t(1) << 30;

    /// Throws EError "Cannot open file <shownPath>" when the path is missing,
    /// unreadable or not a regular file.
    TRegularFile(const std::string& path, const std::string& shownPath);
    explicit TRegularFile(const std::string& path) : TRegularFile(path, path) {}
    ~TRegularFile();
    TRegularFile(const TRegularFile&) = delete;
    TRegularFile& operator=(const TRegularFile&) = delete;

    /// The file's size when it was opened.
    uint64_t Size() const { return size_; }
    uint64_t Position() const { return pos_; }

    /// Reads up to count bytes, never beyond the size seen at open (a file
    /// that grows meanwhile must not overrun what a reader sized from it).
    /// *done receives the bytes read, fewer when the file shrank. Returns
    /// false when the system reports a read error.
    bool Read(void* dest, size_t count, size_t* done);

    /// Moves to an absolute position (at most the size); false on an error.
    bool Seek(uint64_t position);

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    uint64_t pos_ = 0;
};
