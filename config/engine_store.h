// The configuration store's answer to the engine's StorePort: the registry settings and the
// wallpaper values.
#pragma once

#include "engine/store_port.h"

namespace q {

const StorePort &EngineStore();

} // namespace q
