// The lockstep oracle in the test command: generated programs and our own
// firmware, each run on the fast path and on the reference path and
// compared after every call of the frame loop (tests/lockstep).
#include "test_support.h"

#include "lockstep/lockstep.h"

namespace {

// Fewer under the sanitizers, where every instruction costs tens of times more.
#if defined(__SANITIZE_ADDRESS__)
constexpr int GENERATED_PROGRAMS = 25;
#else
constexpr int GENERATED_PROGRAMS = 300;
#endif

class LockstepTest : public CoreTest {};

} // namespace

TEST_F(LockstepTest, GeneratedProgramsRunAlikeOnBothPaths)
{
    int failures = 0;
    for (int seed = 1; seed <= GENERATED_PROGRAMS && failures < 3; seed++) {
        lockstep_random r(static_cast<uint64_t>(seed));
        lockstep_case c = lockstep_generate(r);
        std::string difference = lockstep_compare(c);
        if (!difference.empty()) {
            failures++;
            ADD_FAILURE() << "seed " << seed << ": " << difference << "\n" << c.source;
        }
    }
}

TEST_F(LockstepTest, OurFirmwareRunsAlikeOnBothPaths)
{
    for (const lockstep_case &c : lockstep_firmware_cases())
        EXPECT_EQ(lockstep_compare(c), "");
}
