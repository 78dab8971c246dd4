// A machine on the built-in firmware, run frame by frame as the render timer
// runs it, counting the calls of the hook that says it stopped by itself.
#pragma once

#include "wx/run_control.h"

#include "core/loop.h"
#include "core/machine.h"
#include "firmware/builtin.h"

#include <gtest/gtest.h>

class RunningMachineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        orv_clear_globals();
        orv_host = {};
        orv_host.style = ORV_LOOP_FRAME;
        bool builtin = false;
        ASSERT_EQ(orv_load_firmware("no such directory", false, &builtin), nullptr);
        orv_cold_start();
        run_continue();
        hook_calls = 0;
        run_stopped_hook = [] { hook_calls++; };
    }
    void TearDown() override
    {
        run_continue();
        run_stopped_hook = nullptr;
    }
    static inline int hook_calls = 0;
};
