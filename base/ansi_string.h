#pragma once
// A byte string. Its bytes carry text in Big5 (Windows code page 950), the
// program's one encoding for byte strings; comparing two
// strings compares their bytes, nothing else (no case folding, no trimming).

#include <cstddef>
#include <string>

class AnsiString {
public:
    AnsiString() = default;
    AnsiString(const char* text) : bytes_(text ? text : "") {}
    AnsiString(std::string bytes) : bytes_(std::move(bytes)) {}
    AnsiString(const char* data, std::size_t length) : bytes_(data, length) {}

    const char* c_str() const { return bytes_.c_str(); }
    const std::string& Bytes() const { return bytes_; }
    int Length() const { return static_cast<int>(bytes_.size()); }
    bool IsEmpty() const { return bytes_.empty(); }

    AnsiString operator+(const AnsiString& other) const { return AnsiString(bytes_ + other.bytes_); }
    AnsiString& operator+=(const AnsiString& other) {
        bytes_ += other.bytes_;
        return *this;
    }

    friend bool operator==(const AnsiString& a, const AnsiString& b) { return a.bytes_ == b.bytes_; }
    friend bool operator!=(const AnsiString& a, const AnsiString& b) { return !(a == b); }

private:
    std::string bytes_;
};
