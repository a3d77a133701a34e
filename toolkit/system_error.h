#pragma once
// Failures of the system's calls. The program cannot go on as designed
// after one: the error box names what failed and the system's reason, and
// the program ends with exit code 1 (see TApplication::ReportCurrentException).

#include <windows.h>

#include "exception.h"

class SystemFailure : public Exception {
public:
    using Exception::Exception;
};

// "what: reason", the reason being the system's own text for `error` (as
// FormatMessageW gives it), in the program's code page.
AnsiString WithReason(const AnsiString& what, DWORD error);

// Throws SystemFailure for `what` with the reason of the calling thread's
// last error; call it right after the call that failed.
[[noreturn]] void ThrowLastError(const AnsiString& what);
