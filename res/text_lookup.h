// The string table in the language chosen at start-up, for every layer that loads a text.
#pragma once

#include "platform/ports.h"

namespace q {

// String `id` (its French number) of the language whose strings begin at `languageBase`
// (0 French, 100 English); "" when it cannot be loaded.
int LoadText(ResourcePort &resource, std::int32_t languageBase, Uint id, char *buffer, int size);
// Default title of desktop n: the word "Bureau" / "Desktop", a blank and the number.
void DefaultTitle(ResourcePort &resource, std::int32_t languageBase, int n, char *title, int size);

} // namespace q
