// Typed registry reads and writes with the program's buffer rules.
#pragma once

#include "platform/ports.h"

namespace q {

// Reads a text value into a field of `size` bytes. The field changes only when the value
// was read and holds its terminating zero inside the field: a value that does not fit, or
// that fills the field without a zero, is not taken.
bool ReadText(RegistryPort &reg, Hkey key, const char *name, char *field, Dword size);
// Reads `size` bytes (of any type) into a zeroed number; `value` changes only on success.
bool ReadNumber(RegistryPort &reg, Hkey key, const char *name, std::int32_t &value, Dword size = 4);
bool ReadByte(RegistryPort &reg, Hkey key, const char *name, std::uint8_t &value);

// Writes the whole field as REG_SZ data.
void WriteText(RegistryPort &reg, Hkey key, const char *name, const char *field, Dword size);
void WriteNumber(RegistryPort &reg, Hkey key, const char *name, std::uint32_t value, Dword size = 4);

} // namespace q
