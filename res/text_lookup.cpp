#include "res/text_lookup.h"

#include "platform/format.h"
#include "res/resource_ids.h"

namespace q {

int LoadText(ResourcePort &resource, std::int32_t languageBase, Uint id, char *buffer, int size) {
    buffer[0] = '\0';
    int length = resource.LoadStringA(id + static_cast<Uint>(languageBase), buffer, size);
    buffer[size - 1] = '\0';
    return length;
}

void DefaultTitle(ResourcePort &resource, std::int32_t languageBase, int n, char *title, int size) {
    char word[28];
    LoadText(resource, languageBase, Q_IDS_DESKTOP, word, sizeof word);
    FormatText(title, static_cast<std::size_t>(size), "%s %d", word, n);
}

} // namespace q
