// RestrictDllSearch in a process of its own: it changes the process for good.
#include "app/startup.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(RestrictDllSearch, ADllBesideTheProgramIsNoLongerLoaded) {
    // The probe lies in the program's folder, which Windows searches first by default.
    HMODULE before = LoadLibraryA("foundation_dll_probe.dll");
    ASSERT_NE(before, nullptr) << "the probe must load before the restriction";
    FreeLibrary(before);

    RestrictDllSearch();
    HMODULE after = LoadLibraryA("foundation_dll_probe.dll");
    EXPECT_EQ(after, nullptr);
    if (after != nullptr) FreeLibrary(after);

    // DLLs of the system folder still load, by name.
    HMODULE system = LoadLibraryA("version.dll");
    EXPECT_NE(system, nullptr);
    if (system != nullptr) FreeLibrary(system);
}
