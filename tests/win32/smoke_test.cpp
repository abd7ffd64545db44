#include <gtest/gtest.h>
#include <windows.h>

TEST(Wine, RunsThirtyTwoBitCode) {
    EXPECT_EQ(sizeof(void*), 4u);
    EXPECT_NE(GetModuleHandleA("kernel32"), nullptr);
}
