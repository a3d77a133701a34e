// How the program throws the C++ library's own failures (a string grown past
// its maximum, an index out of range, ...). The library throws each from a
// function of its own, and all those functions sit in one object that also
// builds the failure classes std::length_error, std::out_of_range and their
// kin; those hold the library's older reference-counted string, whose code
// with all that it needs is about 50 KiB of the program. Defined here, the
// functions the program calls are taken from this file instead.
//
// Each failure of the logic_error family is thrown as a LibraryFailure,
// a std::exception with the library's message; nothing in the program
// catches those classes by name, and the guarded start-up and event loop
// show a std::exception's message as before. Allocation failures stay
// std::bad_alloc and std::bad_array_new_length, which the program handles.

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>

namespace {

class LibraryFailure : public std::exception {
public:
    explicit LibraryFailure(const char* message) { Append(message); }

    // The library's formatted messages: %s, %zu, %lu, %u and %d, all it uses.
    LibraryFailure(const char* format, va_list values) {
        for (const char* at = format; *at != '\0'; ++at) {
            if (*at != '%') {
                Append(*at);
                continue;
            }
            ++at;
            while (*at == 'z' || *at == 'l') ++at;
            switch (*at) {
            case 's': Append(va_arg(values, const char*)); break;
            case 'u': AppendNumber(va_arg(values, std::size_t), false); break;
            case 'd': AppendNumber(static_cast<std::size_t>(va_arg(values, int)), true); break;
            case '%': Append('%'); break;
            case '\0': return;
            default: Append('?'); break;
            }
        }
    }

    const char* what() const noexcept override { return message_; }

private:
    void Append(char c) {
        if (length_ + 1 < sizeof message_) message_[length_++] = c;
        message_[length_] = '\0';
    }
    void Append(const char* text) {
        for (; text != nullptr && *text != '\0'; ++text) Append(*text);
    }
    void AppendNumber(std::size_t value, bool isSigned) {
        if (isSigned && static_cast<int>(value) < 0) {
            Append('-');
            value = static_cast<std::size_t>(-static_cast<long long>(static_cast<int>(value)));
        }
        char digits[24];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (count > 0) Append(digits[--count]);
    }

    char message_[256] = {};
    std::size_t length_ = 0;
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* message) { throw LibraryFailure(message); }
void __throw_logic_error(const char* message) { throw LibraryFailure(message); }
void __throw_invalid_argument(const char* message) { throw LibraryFailure(message); }
void __throw_out_of_range(const char* message) { throw LibraryFailure(message); }
void __throw_out_of_range_fmt(const char* format, ...) {
    va_list values;
    va_start(values, format);
    LibraryFailure failure(format, values);
    va_end(values);
    throw failure;
}

}  // namespace std
