#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif
TEST(Smoke, Runs) {
#ifdef _WIN32
    char dir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(dir, MAX_PATH), 0u);
    HWND w = CreateWindowA("STATIC", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(w, nullptr);
#endif
    EXPECT_EQ(1 + 1, 2);
}
