#include "viewers/text/TextFile.h"

// System
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// C++ standard library
#include <cerrno>

// Project
#include "base/Error.h"

namespace text {

const char* const kTextTooLargeMessage = "Text exceeds memo capacity";

std::string CannotOpenMessage(const std::string& shownPath) {
    return "Cannot open file " + shownPath;
}

namespace {

/// Closes the descriptor on every path out.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string ReadWholeFile(const std::string& nativePath, const std::string& shownPath,
                          std::size_t capacity) {
    // A look before the open keeps devices and FIFOs closed altogether; the
    // check after it catches a file swapped in between.
    struct stat before {};
    if (::stat(nativePath.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
        throw EError(CannotOpenMessage(shownPath));

    FileHandle file(::open(nativePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        throw EError(CannotOpenMessage(shownPath));

    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > capacity)
        throw EError(kTextTooLargeMessage);

    // One buffer of the file's size, filled from first to last byte. A file
    // that shrinks meanwhile gives what is there; one that grows is cut at
    // the size it had when it was opened.
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EError(CannotOpenMessage(shownPath));
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace text
