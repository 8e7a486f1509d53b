// setup.exe only: what the program ends with when an exception is not caught.
//
// libstdc++'s default terminate handler prints the demangled type of the uncaught exception to
// standard error before it aborts. A GUI program has no standard error to read, and the demangler
// with the formatted output it needs is a third of setup.exe. Nothing in setup.exe catches the
// standard containers' failures (they end the program); it ends the same way, without the text.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx
