// The GUI tests' process set-up, linked into each of them: the application as the
// installer starts it (COM, common controls) and every layout class registered, before
// the first test builds a window.
#include "controls/appearance.h"
#include "toolkit/application.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

namespace {

class Environment : public ::testing::Environment {
    void SetUp() override {
        tk::Application().Initialize();
        tk::RegisterStandardControls();
        RegisterAppearanceControls();
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

} // namespace
