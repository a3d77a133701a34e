#pragma once
// What the fault walk's two sides share: the test, which starts the shipped
// program once per failure point and judges each run (fault_walk.cpp), and
// the person it loads into the program to fail the call and work the
// windows (fault_walk_person.cpp).

#include <windows.h>

#include <iterator>

namespace fault_walk {

// The phases of one run, in order; either closing ends with the process.
inline const char* const kPhases[] = {"start-up", "prompt",    "refusals", "resolution",
                                      "sign-in",  "hand-over", "closing",  "closing the main window"};
constexpr int kPhaseCount = static_cast<int>(std::size(kPhases)), kClosing = 6, kMainClosing = 7;

// Exit codes of a run the person judged a failure.
constexpr DWORD kStalled = 250, kBroken = 251;

}  // namespace fault_walk
