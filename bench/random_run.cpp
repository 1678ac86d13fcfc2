// The long random run: the sequence test's events, optimised and without sanitizers.
//
//   random_run [STEPS] [SEED]     default 10000000 steps, seed 1
//
// Prints the steps run, the steps per second and the machines started; exits 1 at the first
// broken invariant, with the events since the last sweep. With LIVETRAIL set in the environment,
// every event is also written to standard error as it happens.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tests/unit/random_world.h"

int main(int argc, char **argv) {
    const unsigned long long steps = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000000ULL;
    const auto seed = static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1UL);
    q::test::RandomWorld world(seed);
    const auto start = std::chrono::steady_clock::now();
    unsigned long long done = 0;
    while (done < steps && world.Step()) {
        ++done;
        if (done % 1000000 == 0) {
            std::printf("%llu steps\n", done);
            std::fflush(stdout);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("steps run: %llu, %.0f steps/s, %.1f s, seed %u, machines started: %llu, sweeps: %llu\n",
                done, seconds > 0 ? static_cast<double>(done) / seconds : 0.0, seconds, seed,
                static_cast<unsigned long long>(world.restarts + 1),
                static_cast<unsigned long long>(world.sweeps));
    if (!world.Failure().empty()) {
        std::printf("FAILED at %s", world.Failure().c_str());
        return 1;
    }
    return 0;
}
