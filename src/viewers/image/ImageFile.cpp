#include "viewers/image/ImageFile.h"

// System
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// C++
#include <algorithm>
#include <cerrno>
#include <new>

// Project
#include "base/Error.h"
#include "viewers/image/Bitmap.h"

TImageFile::TImageFile(const std::string& path) {
    const EError cannotOpen("Cannot open file " + path);
    struct stat st {};
    // Look before opening: opening a FIFO for reading would wait for a writer.
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) throw cannotOpen;
    // O_NONBLOCK keeps a path swapped for a FIFO in the meantime from blocking
    // the open; the fstat below then refuses it.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) throw cannotOpen;
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        throw cannotOpen;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    size_ = uint64_t(st.st_size);
}

TImageFile::~TImageFile() {
    if (fd_ >= 0) ::close(fd_);
}

size_t TImageFile::Read(void* dest, size_t count) {
    // Never beyond the size seen at open: a file that grows meanwhile must not
    // make a reader overrun what it sized from that.
    count = size_t(std::min<uint64_t>(count, size_ - pos_));
    size_t done = 0;
    auto* out = static_cast<uint8_t*>(dest);
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EError("Stream read error");  // as any read the file cannot satisfy
        }
        if (n == 0) break;  // the file shrank since it was opened
        done += size_t(n);
    }
    pos_ += done;
    if (done < count) size_ = pos_;
    return done;
}

uint64_t TImageFile::Skip(uint64_t count) {
    count = std::min<uint64_t>(count, size_ - pos_);
    if (::lseek(fd_, off_t(pos_ + count), SEEK_SET) < 0) throw EError(systemErrorMessage(errno));
    pos_ += count;
    return count;
}

std::vector<uint8_t> TImageFile::ReadAll(const std::string& path) {
    TImageFile file(path);
    // Far above any picture that fits the pixel limit; a bigger file would
    // only make the system swap before the decoder refused it.
    if (file.Size() > kMaxReadAllBytes) throw EError(systemErrorMessage(ENOMEM));
    std::vector<uint8_t> data;
    try {
        data.resize(size_t(file.Size()));
    } catch (const std::bad_alloc&) {
        throw EError(systemErrorMessage(ENOMEM));
    }
    data.resize(file.Read(data.data(), data.size()));
    return data;
}
