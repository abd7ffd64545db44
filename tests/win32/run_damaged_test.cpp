// The installation run on an installer whose help file (rs_hlp) is stored without contents.
#include "install/run.h"
#include "run_test_support.h"

#include <gtest/gtest.h>

TEST(RunDamaged, AnEmptyItemIsListedAndNothingIsWritten) {
    TempTree tree("run_damaged");
    RecordingFrontEnd frontEnd;
    RunSettings settings;
    settings.DesktopFolder = tree.Path();
    settings.Windows64 = false;
    const std::string install = tree.Path() + "inst\\";

    ASSERT_EQ(RunInstallationOf(install, frontEnd, settings), ExitCode::PayloadDamaged);
    EXPECT_EQ(
        frontEnd.Events,
        (std::vector<std::string>{
            "Begin", "Tell[] Error Reading resource item rs_hlp, Filename pentaro.hlp", "End"}));
    EXPECT_TRUE(frontEnd.Files.empty());
    EXPECT_FALSE(PathExists(install + "tarnw.exe"));
}
