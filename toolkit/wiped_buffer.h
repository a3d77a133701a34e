#pragma once
// A buffer for a secret (a typed password, its Big5 bytes): its
// memory is cleared with SecureZeroMemory when it goes, so the secret leaves
// no copy behind in freed memory. It can be moved, never copied.

#include <windows.h>

#include <cstddef>
#include <string_view>
#include <utility>

template <typename Char>
class WipedBuffer {
public:
    WipedBuffer() = default;
    // Room for `capacity` characters, all zero; its length is 0.
    explicit WipedBuffer(std::size_t capacity)
        : data_(capacity ? new Char[capacity]() : nullptr), capacity_(capacity) {}
    WipedBuffer(const WipedBuffer&) = delete;
    WipedBuffer& operator=(const WipedBuffer&) = delete;
    WipedBuffer(WipedBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          capacity_(std::exchange(other.capacity_, 0)),
          length_(std::exchange(other.length_, 0)) {}
    WipedBuffer& operator=(WipedBuffer&& other) noexcept {
        if (this != &other) {
            Release();
            data_ = std::exchange(other.data_, nullptr);
            capacity_ = std::exchange(other.capacity_, 0);
            length_ = std::exchange(other.length_, 0);
        }
        return *this;
    }
    ~WipedBuffer() { Release(); }

    Char* Data() { return data_; }
    const Char* Data() const { return data_; }
    // The characters in use, from the start; never more than the capacity.
    std::size_t Length() const { return length_; }
    void SetLength(std::size_t length) { length_ = length < capacity_ ? length : capacity_; }
    // A view of the characters in use; it copies nothing.
    std::basic_string_view<Char> View() const { return {data_, length_}; }

private:
    void Release() {
        if (data_) SecureZeroMemory(data_, capacity_ * sizeof(Char));
        delete[] data_;
        data_ = nullptr;
        capacity_ = length_ = 0;
    }

    Char* data_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t length_ = 0;
};
