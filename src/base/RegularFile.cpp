#include "base/RegularFile.h"

// System
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// C++
#include <algorithm>
#include <cerrno>

// Project
#include "base/Error.h"

std::string CannotOpenMessage(const std::string& shownPath) {
    return "Cannot open file " + shownPath;
}

TRegularFile::TRegularFile(const std::string& path, const std::string& shownPath) {
    const auto cannotOpen = [&shownPath] { return EError(CannotOpenMessage(shownPath)); };
    struct stat st {};
    // Look before opening: opening a FIFO for reading would wait for a writer.
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) throw cannotOpen();
    // O_NONBLOCK keeps a path swapped for a FIFO in the meantime from blocking
    // the open, and O_NOCTTY a terminal from becoming ours; fstat then refuses both.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) throw cannotOpen();
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd_);
        throw cannotOpen();
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    size_ = uint64_t(st.st_size);
}

TRegularFile::~TRegularFile() {
    ::close(fd_);
}

bool TRegularFile::Read(void* dest, size_t count, size_t* done) {
    count = size_t(std::min<uint64_t>(count, size_ - pos_));
    auto* out = static_cast<uint8_t*>(dest);
    *done = 0;
    while (*done < count) {
        const ssize_t n = ::read(fd_, out + *done, count - *done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;  // the file shrank since it was opened
        *done += size_t(n);
    }
    pos_ += *done;
    if (*done < count) size_ = pos_;
    return true;
}

bool TRegularFile::Seek(uint64_t position) {
    position = std::min(position, size_);
    if (::lseek(fd_, off_t(position), SEEK_SET) < 0) return false;
    pos_ = position;
    return true;
}
