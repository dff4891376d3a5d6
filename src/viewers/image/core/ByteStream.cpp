#include "viewers/image/core/ByteStream.h"

#include "base/Error.h"
#include "base/Messages.h"

void TByteStream::ReadBuffer(void* dest, size_t count) {
    if (Read(dest, count) != count) throw EError(kStreamReadError);
}

void TByteStream::SkipBuffer(uint64_t count) {
    if (Skip(count) != count) throw EError(kStreamReadError);
}
