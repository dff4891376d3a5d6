#pragma once

#include <cstddef>
#include <cstdint>

#include "viewers/image/core/ByteStream.h"

/** A byte stream over a buffer it does not own. */
class TMemoryStream : public TByteStream {
public:
    TMemoryStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint64_t Remaining() const override { return size_ - pos_; }
    size_t Read(void* dest, size_t count) override;
    uint64_t Skip(uint64_t count) override;

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
