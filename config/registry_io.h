// Typed registry reads and writes with the program's buffer rules.
#pragma once

#include "platform/ports.h"

namespace q {

// What a read found.
enum class Stored {
    Taken,      // read into the field
    Missing,    // no such value, or no key to read it from
    Unfit,      // there, but of another type than asked or too long for the field: not taken
    Unreadable, // the registry would not say (access denied, a broken hive)
};

// Reads a REG_SZ value into a field of `size` bytes. The field changes only when the value
// was read and holds its terminating zero inside the field.
Stored ReadText(RegistryPort &reg, Hkey key, const char *name, char *field, Dword size);
// Reads a REG_DWORD of at most `size` bytes into a zeroed number; `value` changes only when taken.
Stored ReadDword(RegistryPort &reg, Hkey key, const char *name, std::int32_t &value, Dword size = 4);
// Reads `size` bytes of any type into a zeroed number; `value` changes only on success.
bool ReadNumber(RegistryPort &reg, Hkey key, const char *name, std::int32_t &value, Dword size = 4);

// Writes the whole field as REG_SZ data.
void WriteText(RegistryPort &reg, Hkey key, const char *name, const char *field, Dword size);
// Writes the text and its zero, padded with zeros to `least` bytes: short texts keep the data
// size earlier versions wrote and read, longer ones are written whole.
void WriteShortText(RegistryPort &reg, Hkey key, const char *name, const char *field, Dword size,
                    Dword least);
void WriteNumber(RegistryPort &reg, Hkey key, const char *name, std::uint32_t value, Dword size = 4);

} // namespace q
