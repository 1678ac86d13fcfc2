// Where a switch spends its time, for bench/switch_latency only. The benchmark's own copy of
// quillane.exe is built with QUILLANE_PHASES and bench/phase_clock.cpp; in every other build
// these are empty and cost nothing.
#pragma once

namespace q {

enum class Phase : int {
    Outside, // not in a switch
    Icons,   // the notification icons and the floating window
    Refresh,
    Capture,
    Animation, // the minimise animation off and back
    HungCheck, // asking windows' threads, wherever a pass does it
    Hiding,
    Collecting, // collecting and sorting the windows to restore
    Wallpaper,
    Restores,
    Count
};

#ifdef QUILLANE_PHASES
// From now on the time counts for `phase`; returns the phase that counted until now.
Phase EnterPhase(Phase phase);
#else
inline Phase EnterPhase(Phase) { return Phase::Outside; }
#endif

} // namespace q
