#include "config/registry_io.h"

#include <cstring>

namespace q {

namespace {

Stored Query(RegistryPort &reg, Hkey key, const char *name, Dword *type, void *buffer, Dword size) {
    if (key == nullptr) return Stored::Missing;
    Dword got = size;
    const std::int32_t status = reg.RegQueryValueExA(key, name, type, buffer, &got);
    if (status == ERROR_SUCCESS) return Stored::Taken;
    if (status == ERROR_FILE_NOT_FOUND) return Stored::Missing;
    if (status == ERROR_MORE_DATA) return Stored::Unfit;
    return Stored::Unreadable;
}

std::int32_t LittleEndian(const unsigned char (&bytes)[4]) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

} // namespace

Stored ReadText(RegistryPort &reg, Hkey key, const char *name, char *field, Dword size) {
    char buffer[260] = {};
    if (size > sizeof buffer) size = sizeof buffer;
    Dword type = 0;
    Stored found = Query(reg, key, name, &type, buffer, size);
    if (found != Stored::Taken) return found;
    if (type != REG_SZ || std::memchr(buffer, 0, size) == nullptr) return Stored::Unfit;
    std::memcpy(field, buffer, size);
    return Stored::Taken;
}

Stored ReadDword(RegistryPort &reg, Hkey key, const char *name, std::int32_t &value, Dword size) {
    unsigned char buffer[4] = {};
    if (size > sizeof buffer) size = sizeof buffer;
    Dword type = 0;
    Stored found = Query(reg, key, name, &type, buffer, size);
    if (found != Stored::Taken) return found;
    if (type != REG_DWORD) return Stored::Unfit;
    value = LittleEndian(buffer);
    return Stored::Taken;
}

bool ReadNumber(RegistryPort &reg, Hkey key, const char *name, std::int32_t &value, Dword size) {
    unsigned char buffer[4] = {};
    if (size > sizeof buffer) size = sizeof buffer;
    if (Query(reg, key, name, nullptr, buffer, size) != Stored::Taken) return false;
    value = LittleEndian(buffer);
    return true;
}

void WriteText(RegistryPort &reg, Hkey key, const char *name, const char *field, Dword size) {
    reg.RegSetValueExA(key, name, REG_SZ, field, size);
}

void WriteShortText(RegistryPort &reg, Hkey key, const char *name, const char *field, Dword size,
                    Dword least) {
    char data[260] = {};
    if (size > sizeof data) size = sizeof data;
    const void *end = std::memchr(field, 0, size);
    Dword length = end != nullptr ? static_cast<Dword>(static_cast<const char *>(end) - field) + 1 : size;
    std::memcpy(data, field, length);
    reg.RegSetValueExA(key, name, REG_SZ, data, length < least ? least : length);
}

void WriteNumber(RegistryPort &reg, Hkey key, const char *name, std::uint32_t value, Dword size) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16),
                                    static_cast<unsigned char>(value >> 24)};
    reg.RegSetValueExA(key, name, REG_DWORD, bytes, size);
}

} // namespace q
