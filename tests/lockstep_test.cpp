// The lockstep oracle in the test command: generated programs and our own
// firmware, each run on the fast path and on the reference path and
// compared after every call of the frame loop (tests/lockstep).
#include "test_support.h"

#include "lockstep/lockstep.h"

#include <cstdlib>

namespace {

// Fewer under the sanitizers, where every instruction costs tens of times more.
#if defined(__SANITIZE_ADDRESS__)
constexpr int GENERATED_PROGRAMS = 25;
#else
constexpr int GENERATED_PROGRAMS = 300;
#endif

class LockstepTest : public CoreTest {};

// LOCKSTEP_PROGRAMS and LOCKSTEP_FIRST (environment) run other seeds: a
// longer hunt than the test command's.
int from_environment(const char *name, int otherwise)
{
    const char *v = std::getenv(name);
    return v && *v ? std::atoi(v) : otherwise;
}

} // namespace

TEST_F(LockstepTest, GeneratedProgramsRunAlikeOnBothPaths)
{
    int failures = 0;
    lockstep_coverage covered;
    const int first = from_environment("LOCKSTEP_FIRST", 1);
    const int count = from_environment("LOCKSTEP_PROGRAMS", GENERATED_PROGRAMS);
    for (int seed = first; seed < first + count && failures < 3; seed++) {
        lockstep_random r(static_cast<uint64_t>(seed));
        lockstep_case c = lockstep_generate(r);
        std::string difference = lockstep_compare(c, &covered);
        if (!difference.empty()) {
            failures++;
            ADD_FAILURE() << "seed " << seed << ": " << difference << "\n" << c.source;
        }
    }
    // The programs reach what they are meant to exercise (a few hundred of
    // them; fewer under the sanitizers, hence the low floors).
    for (int line = 0; line < 3; line++)
        EXPECT_GT(covered.interrupts[line], 10) << "INT" << line + 1;
    EXPECT_GT(covered.idles, 10);
    EXPECT_GT(covered.undefined, 10);
    EXPECT_GT(covered.decimal, 10);
    EXPECT_GT(covered.speaking, 0);
    EXPECT_GT(covered.timer1, 10);
    for (int mode = 0; mode < 4; mode++)
        EXPECT_GT(covered.modes[mode], 0) << "display mode " << mode;
    EXPECT_GT(covered.io_states, 10);
    EXPECT_GT(covered.debug_stops, 2);  // about one a program in three sets some
}

TEST_F(LockstepTest, OurFirmwareRunsAlikeOnBothPaths)
{
    lockstep_coverage covered;
    for (const lockstep_case &c : lockstep_firmware_cases())
        EXPECT_EQ(lockstep_compare(c, &covered), "");
    // The cases with breakpoints and watchpoints stop at them.
    EXPECT_GT(covered.debug_stops, 10);
}
