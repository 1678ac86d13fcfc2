// Texts of the program's string table in the language chosen at start-up (res/text_lookup.h
// with AppState's language), and the rule that chooses it.
#pragma once

#include "engine/app_state.h"

namespace q {

// String `id` (its French number) in the chosen language; "" when it cannot be loaded.
int LoadText(AppState &app, Uint id, char *buffer, int size);
// The language rule: a stored "Language" of 0 or 100 wins; otherwise French for a French
// locale (primary language 0x0C), English for every other.
std::int32_t ChooseLanguage(AppState &app);

} // namespace q
