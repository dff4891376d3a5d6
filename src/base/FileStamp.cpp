#include "base/FileStamp.h"

#include <sys/stat.h>

TFileStamp TFileStamp::Of(const std::string& path) {
    TFileStamp stamp;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return stamp;
    stamp.device = uint64_t(st.st_dev);
    stamp.inode = uint64_t(st.st_ino);
    stamp.size = int64_t(st.st_size);
    stamp.seconds = int64_t(st.st_mtim.tv_sec);
    stamp.nanoseconds = int64_t(st.st_mtim.tv_nsec);
    return stamp;
}
