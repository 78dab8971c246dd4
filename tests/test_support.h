// Shared fixtures for the core tests.
#pragma once

#include <string>
#include <vector>

#include "core/machine.h"

#include <gtest/gtest.h>

#include <string>

// Runs the test in a fresh directory of its own (debug.lst, images and
// written files stay apart between tests), with every core global at its
// program-start value.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file in the test's directory.
    void write_file(const std::string &name, const std::string &bytes);
    std::string read_file(const std::string &name);
    std::string dir;

private:
    std::string old_dir;
};

// The whole trace log as one text.
std::string log_text();

// Runs orvane-headless in this process with `args` (without the program
// name), keeping what it prints in `out` and `err`; returns its status.
int run_headless(std::vector<std::string> args, std::string &out, std::string &err);
