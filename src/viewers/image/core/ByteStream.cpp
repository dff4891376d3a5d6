#include "viewers/image/core/ByteStream.h"

#include "base/Error.h"

void TByteStream::ReadBuffer(void* dest, size_t count) {
    if (Read(dest, count) != count) throw EError("Stream read error");
}

void TByteStream::SkipBuffer(uint64_t count) {
    if (Skip(count) != count) throw EError("Stream read error");
}
