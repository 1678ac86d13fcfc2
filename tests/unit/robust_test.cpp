// Re-entrancy, hung windows, foreign messages and a restarted taskbar on the simulated machine.
#include <cstdlib>

#include <gtest/gtest.h>

#include "engine/hung.h"
#include "tests/unit/machine.h"
#include "tests/unit/random_world.h"

namespace q::test {
namespace {

[[maybe_unused]] Wparam H(Hwnd h) {
    return reinterpret_cast<Wparam>(h);
}

// A fixed sequence of random events; QUILLANE_RANDOM_STEPS runs longer (bench/random_run is the
// optimised long run).
TEST(RandomSequence, EveryEventKeepsTheDesktopsAndTheWindows) {
    const char *configured = std::getenv("QUILLANE_RANDOM_STEPS");
    const long steps = configured != nullptr ? std::atol(configured) : 4000;
    RandomWorld world(20261209);
    for (long i = 0; i < steps; ++i)
        if (!world.Step()) break;
    EXPECT_EQ(world.Failure(), "");
    EXPECT_GT(world.sweeps, 0u);
}

} // namespace
} // namespace q::test
