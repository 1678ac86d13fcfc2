#include "platform/format.h"

#include <cstdarg>

namespace q {

namespace {

struct Output {
    char *at;
    std::size_t room; // characters that still fit before the terminating zero

    void Put(char c) {
        if (room == 0) return;
        *at++ = c;
        --room;
    }
    void Put(const char *text, std::size_t limit) {
        for (std::size_t i = 0; i < limit && text[i] != '\0'; ++i)
            Put(text[i]);
    }
};

void PutNumber(Output &out, int value) {
    char digits[12];
    int count = 0;
    // Through unsigned arithmetic, so that the most negative int has a magnitude too.
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) out.Put('-');
    while (count > 0)
        out.Put(digits[--count]);
}

} // namespace

int FormatText(char *out, std::size_t size, const char *format, ...) {
    if (size == 0) return 0;
    Output o{out, size - 1};
    va_list args;
    va_start(args, format);
    for (const char *f = format; *f != '\0'; ++f) {
        if (*f != '%') {
            o.Put(*f);
            continue;
        }
        if (f[1] == '%') {
            o.Put('%');
            ++f;
        } else if (f[1] == 'd') {
            PutNumber(o, va_arg(args, int));
            ++f;
        } else if (f[1] == 's') {
            const char *text = va_arg(args, const char *);
            o.Put(text != nullptr ? text : "%s", static_cast<std::size_t>(-1));
            ++f;
        } else if (f[1] == '.' && f[2] == '*' && f[3] == 's') {
            int limit = va_arg(args, int);
            const char *text = va_arg(args, const char *);
            if (text != nullptr && limit > 0) o.Put(text, static_cast<std::size_t>(limit));
            f += 3;
        } else {
            o.Put('%');
        }
    }
    va_end(args);
    *o.at = '\0';
    return static_cast<int>(o.at - out);
}

} // namespace q
