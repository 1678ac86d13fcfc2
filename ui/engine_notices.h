// The interface's answer to the engine's NotifyPort: the notification icons and the floating
// window follow the desktops.
#pragma once

#include "engine/notify_port.h"

namespace q {

const NotifyPort &EngineNotices();

} // namespace q
