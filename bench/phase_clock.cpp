// The phase clock of the benchmark's copy of quillane.exe (engine/phases.h): the time of each
// phase of the switches so far, in a named shared block that bench/switch_latency.cpp reads
// before and after each switch. Only kernel32, as the program's own runtime allows.
#include "bench/phase_clock.h"
#include "engine/phases.h"

#include <windows.h>

namespace q {

namespace {

PhaseTimes *times = nullptr;
LONGLONG last = 0;
LONGLONG frequency = 0;
Phase current = Phase::Outside;

} // namespace

Phase EnterPhase(Phase phase) {
    if (times == nullptr) {
        HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(PhaseTimes),
                                          PhaseClockName);
        if (block != nullptr) times = static_cast<PhaseTimes *>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0));
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        frequency = f.QuadPart;
        if (times == nullptr) return current;
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const Phase before = current;
    if (before != Phase::Outside && last != 0)
        times->Milliseconds[static_cast<int>(before)] +=
            static_cast<double>(now.QuadPart - last) * 1000.0 / static_cast<double>(frequency);
    if (phase == Phase::Icons) ++times->Switches;
    last = now.QuadPart;
    current = phase;
    return before;
}

} // namespace q
