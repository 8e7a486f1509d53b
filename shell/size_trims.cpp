// setup.exe only: how the program ends when the standard library gives up.
//
// libstdc++'s default terminate handler prints the demangled type of the uncaught exception to
// standard error before it aborts. A GUI program has no standard error to read, and the demangler
// with the formatted output it needs is a third of setup.exe. Likewise the library's length and
// range errors build exception objects that carry a copy of their message, which costs another
// quarter of the program. Nothing in setup.exe catches any of them (the only handler takes the
// help files' damage text), so each already ends the program: here it ends at once.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc()
{
    throw std::bad_alloc();
}

void __throw_bad_array_new_length()
{
    throw std::bad_array_new_length();
}

void __throw_length_error(const char*)
{
    std::abort();
}

void __throw_logic_error(const char*)
{
    std::abort();
}

void __throw_out_of_range(const char*)
{
    std::abort();
}

void __throw_out_of_range_fmt(const char*, ...)
{
    std::abort();
}

void __throw_invalid_argument(const char*)
{
    std::abort();
}

}  // namespace std
