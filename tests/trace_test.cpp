#include "test_support.h"

#include "core/trace.h"

TEST_F(CoreTest, TraceStartsEmpty) { EXPECT_EQ(log_text(), ""); }
