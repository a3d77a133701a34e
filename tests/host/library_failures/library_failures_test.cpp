// The program's own throwing of the C++ library's failures
// (app/library_failures.cpp), built into a test program of its own so that
// the other host tests keep the library's. Each failure must still be a
// std::exception carrying the library's message, the formatted ones filled
// in, and allocation failures must stay std::bad_alloc.

#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

template <typename Action>
std::string MessageOf(Action action) {
    try {
        action();
    } catch (const std::bad_alloc&) {
        return "bad_alloc";
    } catch (const std::logic_error&) {
        return "the library's own class";
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return "nothing thrown";
}

TEST(LibraryFailures, CarryTheLibrarysMessageFilledIn) {
    const std::string three = "abc";
    EXPECT_EQ("basic_string::substr: __pos (which is 5) > this->size() (which is 3)",
              MessageOf([&] { (void)three.substr(5); }));
    EXPECT_EQ("basic_string::at: __n (which is 7) >= this->size() (which is 3)", MessageOf([&] { (void)three.at(7); }));
    std::vector<int> numbers;
    EXPECT_EQ("vector::reserve", MessageOf([&] { numbers.reserve(numbers.max_size() + 1); }));
    const char* none = nullptr;
    EXPECT_EQ("basic_string: construction from null is not valid", MessageOf([&] { std::string text(none); }));
}

TEST(LibraryFailures, AllocationFailuresStayBadAlloc) {
    std::allocator<long long> allocator;
    EXPECT_EQ("bad_alloc", MessageOf([&] { (void)allocator.allocate(std::numeric_limits<std::size_t>::max() / 4); }));
}

}  // namespace
