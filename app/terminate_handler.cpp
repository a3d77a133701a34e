// The program's own handler for std::terminate (an exception that nothing
// catches, or one thrown out of a noexcept function): it ends the process at
// once, as the C++ run-time's default handler does after writing the type of
// the exception to the standard error stream. A window program has no such
// stream, and the default handler's demangling of that type name brings the
// run-time's whole symbol demangler into the file (about 49 KiB).
//
// The run-time declares its default handler in <exception> and takes it from
// its own library only when the program does not define it; defined here,
// it is the handler from the start, before any static object is built, and
// also what std::set_terminate(nullptr) puts back.

#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
