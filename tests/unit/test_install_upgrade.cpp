#include "install/upgrade.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The records on the test's disk, as the installer writes them (and one in a drive root).
bool RecordExists(const std::string& path) {
    static const std::set<std::string> records = {"c:\\apps\\pentaro\\uninstall.rec",
                                                  "D:\\Program Files\\P 3\\uninstall.rec",
                                                  "e:\\uninstall.rec"};
    return records.count(path) != 0;
}

} // namespace

TEST(UpgradeFolder, TheEntrysFolderWhereItHoldsTheRecord) {
    struct Case {
        const char* location;
        const char* folder;
    };
    for (const Case& c : {
             // As the installer writes it, with its trailing backslash; blanks kept.
             Case{"c:\\apps\\pentaro\\", "c:\\apps\\pentaro"},
             Case{"D:\\Program Files\\P 3\\", "D:\\Program Files\\P 3"},
             // Written by hand without the backslash; a drive root keeps its own.
             Case{"c:\\apps\\pentaro", "c:\\apps\\pentaro"},
             Case{"e:\\", "e:\\"},
             // No record there: removed by hand, or never this product's.
             Case{"c:\\tq\\", ""},
             // Nothing the installer writes: a first install goes where it always goes.
             Case{"apps\\pentaro\\", ""},
             Case{"\\\\server\\share\\pentaro\\", ""},
             Case{"\"c:\\apps\\pentaro\\\"", ""},
         })
        EXPECT_EQ(UpgradeFolder(c.location, RecordExists), c.folder) << c.location;
}
