// The real system behind the core's ports. Each operation is the Win32 call of the same name.
#pragma once

#include "platform/ports.h"

namespace q {

// One object implements every port; Ports() hands them to the core as a Platform.
Platform &Win32Ports();

} // namespace q
