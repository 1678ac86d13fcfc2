// The block the benchmark's quillane.exe fills (bench/phase_clock.cpp) and switch_latency reads.
#pragma once

namespace q {

constexpr char PhaseClockName[] = "QuillanePhaseClock";
constexpr int PhaseSlots = 16; // at least Phase::Count

struct PhaseTimes {
    double Milliseconds[PhaseSlots]; // by Phase, summed over every switch
    long Switches;
};

} // namespace q
