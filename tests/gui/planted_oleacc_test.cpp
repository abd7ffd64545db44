// A screen reader's first request loads oleacc.dll: the system folder's copy, not one that
// lies beside the program (on the CD, in the Downloads folder). This process does not
// restrict the DLL search first, as the installer cannot on Windows Vista.
#include "toolkit/accessible.h"
#include "toolkit/application.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <cctype>
#include <string>

namespace {

class TProbeForm : public tk::TForm {
public:
    const char* ClassName() const override { return "TProbeForm"; }
};

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(Oleacc, TheSystemFoldersCopyIsLoaded) {
    ASSERT_EQ(GetModuleHandleA("oleacc.dll"), nullptr);
    tk::Application().Initialize();
    tk::RegisterStandardControls();
    TProbeForm form;
    form.LoadLayoutText(R"(object ProbeForm: TProbeForm
  ClientWidth = 100
  ClientHeight = 50
  object Text: TLabel
    Caption = 'INSTALLING'
  end
end
)");
    HWND label = form.Find<tk::TLabel>("Text")->Handle();
    SendMessageA(label, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));

    HMODULE oleacc = GetModuleHandleA("oleacc.dll");
    ASSERT_NE(oleacc, nullptr);
    char path[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetModuleFileNameA(oleacc, path, MAX_PATH);
    UINT length = GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(Lower(std::string(path)).rfind(Lower(std::string(system, length)) + "\\", 0), 0u)
        << path;
}

} // namespace
