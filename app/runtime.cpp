// The few C and C++ runtime functions quillane.exe uses, on the system's own calls, and its
// entry point. The exe carries none of the toolchain's start-up code and needs no C runtime
// DLL: the first Windows 95 releases have none, and its start-up alone was a fifth of the exe.
// Built with -fno-builtin and without loop-to-call rewriting (app/CMakeLists.txt), so that the
// compiler does not turn these loops back into calls to themselves.
// A C or C++ library function the program starts to use (snprintf, strncmp, operator new...)
// is therefore linked from nowhere: add it here, or use the system's (wsprintfA, lstrcmpiA).

#include <windows.h>

#include <cstddef>

extern "C" {

void *malloc(std::size_t bytes) {
    return HeapAlloc(GetProcessHeap(), 0, bytes != 0 ? bytes : 1);
}

void free(void *block) {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

void *memcpy(void *to, const void *from, std::size_t count) {
    auto *d = static_cast<unsigned char *>(to);
    auto *s = static_cast<const unsigned char *>(from);
    while (count-- != 0)
        *d++ = *s++;
    return to;
}

void *memmove(void *to, const void *from, std::size_t count) {
    auto *d = static_cast<unsigned char *>(to);
    auto *s = static_cast<const unsigned char *>(from);
    if (d < s) return memcpy(to, from, count);
    while (count-- != 0)
        d[count] = s[count];
    return to;
}

void *memset(void *to, int value, std::size_t count) {
    auto *d = static_cast<unsigned char *>(to);
    while (count-- != 0)
        *d++ = static_cast<unsigned char>(value);
    return to;
}

int memcmp(const void *a, const void *b, std::size_t count) {
    auto *x = static_cast<const unsigned char *>(a);
    auto *y = static_cast<const unsigned char *>(b);
    for (; count != 0; --count, ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

void *memchr(const void *block, int value, std::size_t count) {
    auto *p = static_cast<const unsigned char *>(block);
    for (; count != 0; --count, ++p)
        if (*p == static_cast<unsigned char>(value)) return const_cast<unsigned char *>(p);
    return nullptr;
}

std::size_t strlen(const char *text) {
    const char *end = text;
    while (*end != '\0')
        ++end;
    return static_cast<std::size_t>(end - text);
}

int strcmp(const char *a, const char *b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

char *strncpy(char *to, const char *from, std::size_t count) {
    std::size_t i = 0;
    for (; i < count && from[i] != '\0'; ++i)
        to[i] = from[i];
    for (; i < count; ++i)
        to[i] = '\0';
    return to;
}

char *strcat(char *to, const char *from) {
    char *d = to + strlen(to);
    while ((*d++ = *from++) != '\0') {
    }
    return to;
}

char *strncat(char *to, const char *from, std::size_t count) {
    char *d = to + strlen(to);
    for (; count != 0 && *from != '\0'; --count)
        *d++ = *from++;
    *d = '\0';
    return to;
}

char *strchr(const char *text, int c) {
    for (;; ++text) {
        if (*text == static_cast<char>(c)) return const_cast<char *>(text);
        if (*text == '\0') return nullptr;
    }
}

char *strstr(const char *text, const char *part) {
    if (*part == '\0') return const_cast<char *>(text);
    for (; *text != '\0'; ++text) {
        std::size_t i = 0;
        while (part[i] != '\0' && text[i] == part[i])
            ++i;
        if (part[i] == '\0') return const_cast<char *>(text);
    }
    return nullptr;
}

// Destructors registered for the end of the program: nothing it holds outlives the process,
// so there is nothing to run.
int atexit(void (*)(void)) {
    return 0;
}

// Called only through a broken object, which this program never makes.
void __cxa_pure_virtual() {
    ExitProcess(3);
}

// The entry point: WinMain with what the system's start-up would have passed, then the end.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
void QuillaneStart() {
    ExitProcess(
        static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT)));
}

} // extern "C"

void operator delete(void *block) noexcept {
    free(block);
}
void operator delete(void *block, std::size_t) noexcept {
    free(block);
}
