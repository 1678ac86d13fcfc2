#include "ui/texts.h"

#include "config/registry_io.h"
#include "engine/names.h"
#include "res/text_lookup.h"

namespace q {

int LoadText(AppState &app, Uint id, char *buffer, int size) {
    return LoadText(app.Sys->resource, app.LanguageBase, id, buffer, size);
}

std::int32_t ChooseLanguage(AppState &app) {
    RegistryPort &reg = app.Sys->registry;
    Hkey key = nullptr;
    std::int32_t stored = -1;
    if (reg.RegOpenKeyExA(HkeyCurrentUser(), names::SettingsKeyUpper, KEY_READ, &key) == ERROR_SUCCESS) {
        std::int32_t value = 0;
        if (ReadNumber(reg, key, names::ValueLanguage, value)) stored = value;
        reg.RegCloseKey(key);
    }
    // Only the two languages the executable holds; anything else would make every text fail.
    if (stored == 0 || stored == Q_ENGLISH) return stored;
    Uint primary = app.Sys->resource.GetUserDefaultLCID() & 0x3FF;
    return primary == LANG_FRENCH ? 0 : Q_ENGLISH;
}

} // namespace q
