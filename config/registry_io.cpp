#include "config/registry_io.h"

#include <cstring>

namespace q {

bool ReadText(RegistryPort &reg, Hkey key, const char *name, char *field, Dword size) {
    char buffer[260] = {};
    if (size > sizeof buffer) size = sizeof buffer;
    Dword got = size;
    if (reg.RegQueryValueExA(key, name, nullptr, buffer, &got) != ERROR_SUCCESS) return false;
    if (std::memchr(buffer, 0, size) == nullptr) return false;
    std::memcpy(field, buffer, size);
    return true;
}

bool ReadNumber(RegistryPort &reg, Hkey key, const char *name, std::int32_t &value, Dword size) {
    unsigned char buffer[4] = {};
    if (size > sizeof buffer) size = sizeof buffer;
    Dword got = size;
    if (reg.RegQueryValueExA(key, name, nullptr, buffer, &got) != ERROR_SUCCESS) return false;
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(buffer[0]) |
                                      static_cast<std::uint32_t>(buffer[1]) << 8 |
                                      static_cast<std::uint32_t>(buffer[2]) << 16 |
                                      static_cast<std::uint32_t>(buffer[3]) << 24);
    return true;
}

bool ReadByte(RegistryPort &reg, Hkey key, const char *name, std::uint8_t &value) {
    std::int32_t number = 0;
    if (!ReadNumber(reg, key, name, number, 1)) return false;
    value = static_cast<std::uint8_t>(number);
    return true;
}

void WriteText(RegistryPort &reg, Hkey key, const char *name, const char *field, Dword size) {
    reg.RegSetValueExA(key, name, REG_SZ, field, size);
}

void WriteNumber(RegistryPort &reg, Hkey key, const char *name, std::uint32_t value, Dword size) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16),
                                    static_cast<unsigned char>(value >> 24)};
    reg.RegSetValueExA(key, name, REG_DWORD, bytes, size);
}

} // namespace q
