// Texts filled from templates, without the C library's printf (whose MinGW build alone is
// larger than the whole program). Neutral code: the core and the Win32 layer both use it.
#pragma once

#include <cstddef>

namespace q {

// Understands %s, %.*s (an int, then the text), %d and %%; any other conversion, and a "%s"
// whose text is null, is written as it stands. Writes at most size - 1 characters and a
// terminating zero, as snprintf does, and returns the number written.
int FormatText(char *out, std::size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

} // namespace q
