#pragma once

// C++
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

/**
 * A fixed-size array that starts as zeros and costs nothing until written:
 * it comes from calloc, which takes large blocks straight from the system as
 * fresh pages that are already zero, so the parts never written (rows a file
 * does not supply, the screen of a GIF outside the visible area) are never
 * committed. A vector would write every zero itself. Reading untouched parts
 * maps the system's shared zero page and commits nothing either.
 */
template <class T>
class TZeroedArray {
    static_assert(std::is_arithmetic_v<T>, "all-zero bytes must be the value zero");

public:
    TZeroedArray() = default;
    /// Throws std::bad_alloc when the memory is not there.
    explicit TZeroedArray(size_t count) {
        if (count == 0) return;
        void* p = std::calloc(count, sizeof(T));
        if (!p) throw std::bad_alloc();
        data_.reset(static_cast<T*>(p));
        size_ = count;
    }
    TZeroedArray(TZeroedArray&& other) noexcept
        : data_(std::move(other.data_)), size_(other.size_) {
        other.size_ = 0;
    }
    TZeroedArray& operator=(TZeroedArray&& other) noexcept {
        data_ = std::move(other.data_);
        size_ = other.size_;
        other.size_ = 0;
        return *this;
    }
    TZeroedArray(const TZeroedArray& other) : TZeroedArray(other.size_) {
        if (size_) std::memcpy(data_.get(), other.data_.get(), size_ * sizeof(T));
    }
    TZeroedArray& operator=(const TZeroedArray& other) {
        if (this != &other) *this = TZeroedArray(other);
        return *this;
    }

    T* data() { return data_.get(); }
    const T* data() const { return data_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* begin() { return data(); }
    T* end() { return data() + size_; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }
    T& operator[](size_t i) { return data_.get()[i]; }
    const T& operator[](size_t i) const { return data_.get()[i]; }

private:
    struct Free {
        void operator()(T* p) const { std::free(p); }
    };
    std::unique_ptr<T, Free> data_;
    size_t size_ = 0;
};
