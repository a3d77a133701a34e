#pragma once
// GoogleTest's one-shot signal between threads (testing::internal::
// Notification) for a C++ library without threads of its own: the cross
// compiler's Windows thread model has no std::mutex or
// std::condition_variable, which GoogleTest's own version is made of. This
// one is a manual-reset Windows event. The Windows test build includes this
// header ahead of every file that GoogleTest's headers are compiled into.

#include <cstddef>

#if defined(_WIN32) && !defined(_GLIBCXX_HAS_GTHREADS)
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif
