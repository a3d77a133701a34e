#pragma once
// The guarded start-up of the program: builds the windows, runs the event
// loop, and turns any failure that escapes into a message and exit code 1.

#include <functional>

// Runs `steps`; returns 0 when they end normally. Whatever escapes them is
// shown as TApplication::Guarded shows it, and the result is 1, so a failed
// start is never reported as success; so it is after a failed system call
// reported while they ran, which ends the event loop (TApplication::Failed).
int RunGuarded(const std::function<void()>& steps);

// The program's start-up: the three windows in their fixed order, then the
// event loop.
void StartSignInProgram();
