#include "viewers/image/core/MemoryStream.h"

#include <algorithm>
#include <cstring>

size_t TMemoryStream::Read(void* dest, size_t count) {
    const size_t n = std::min<size_t>(count, size_ - pos_);
    if (n) std::memcpy(dest, data_ + pos_, n);
    pos_ += n;
    return n;
}

uint64_t TMemoryStream::Skip(uint64_t count) {
    const size_t n = size_t(std::min<uint64_t>(count, size_ - pos_));
    pos_ += n;
    return n;
}
