// Texts of the program's string table in the language chosen at start-up.
#pragma once

#include "engine/app_state.h"

namespace q {

// String `id` (its French number) in the chosen language; "" when it cannot be loaded.
int LoadText(AppState &app, Uint id, char *buffer, int size);
// The language rule: a stored "Language" of 0 or 100 wins; otherwise French for a French
// locale (primary language 0x0C), English for every other.
std::int32_t ChooseLanguage(AppState &app);
// Default title of desktop n: the word "Bureau" / "Desktop", a blank and the number.
void DefaultTitle(AppState &app, int n, char (&title)[TitleSize]);

} // namespace q
