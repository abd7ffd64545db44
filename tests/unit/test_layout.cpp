#include "toolkit/layout.h"
#include "toolkit/resource.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

const char* kLayout = R"(object MainForm: TMainForm
  ClientWidth = 685
  Color = clRed
  Caption = 'It''s Corvane'#174
  BorderIcons = [biSystemMenu, biMinimize]
  Font.Height = -15
  Tag = $1F
  object AdvPanel1: TAdvPanel
    Left = 0
    object Label14: TLabel
      Caption = 'INSTALLING'
      OnClick = Label14Click
    end
  end
  object Empty: TPanel
    Anchors = []
  end
end
)";

} // namespace

TEST(ParseLayout, ReadsObjectsPropertiesAndEveryValueKind) {
    auto root = tk::ParseLayout(kLayout);
    EXPECT_EQ(root->name, "MainForm");
    EXPECT_EQ(root->className, "TMainForm");
    EXPECT_EQ(root->Find("ClientWidth")->integer, 685);
    EXPECT_EQ(root->Find("Color")->kind, tk::LayoutValue::Identifier);
    EXPECT_EQ(root->Find("Color")->text, "clRed");
    EXPECT_EQ(root->Find("Caption")->text, "It's Corvane\xAE");
    EXPECT_EQ(root->Find("BorderIcons")->set,
              (std::vector<std::string>{"biSystemMenu", "biMinimize"}));
    EXPECT_EQ(root->Find("Font.Height")->integer, -15);
    EXPECT_EQ(root->Find("Tag")->integer, 31);
    EXPECT_EQ(root->Find("Missing"), nullptr);

    const tk::LayoutObject* label = root->FindObject("Label14");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Find("Caption")->text, "INSTALLING");
    EXPECT_EQ(label->Find("OnClick")->text, "Label14Click");
    EXPECT_TRUE(root->FindObject("Empty")->Find("Anchors")->set.empty());
}

TEST(ParseLayout, ReportsTheLineOfTheFirstFault) {
    try {
        tk::ParseLayout("object A: TForm\n  Left = 1\n  Caption = 'open\nend\n");
        FAIL() << "no error";
    } catch (const tk::ELayoutError& e) {
        EXPECT_STREQ(e.what(), "Layout error in line 3: unterminated string");
    }
    EXPECT_THROW(tk::ParseLayout("object A: TForm\n  Left = 1\n"), tk::ELayoutError);
    EXPECT_THROW(tk::ParseLayout("object A: TForm\nend\nend"), tk::ELayoutError);
    EXPECT_THROW(tk::ParseLayout("object A: TForm\n  Caption = #300\nend"), tk::ELayoutError);
    EXPECT_THROW(tk::ParseLayout(""), tk::ELayoutError);
}

// A layout the build stored deflated comes back whole; one damaged in any way (cut short,
// a wrong checksum, not zlib at all, nothing) is reported as the resource not found, named
// as the caller named it, never as half a layout.
TEST(DeflatedResource, WholeOrNotFound) {
    const std::string layout = kLayout;
    uLongf size = compressBound(layout.size());
    std::string stored(size, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(stored.data()), &size,
                        reinterpret_cast<const Bytef*>(layout.data()), layout.size(), 9),
              Z_OK);
    stored.resize(size);
    EXPECT_EQ(tk::InflateRcData("TMAINFORM", stored), layout);

    std::string wrongSum = stored;
    wrongSum.back() ^= 1;
    const std::string damaged[] = {stored.substr(0, stored.size() - 1), stored.substr(0, 20),
                                   wrongSum, layout, ""};
    for (const std::string& bytes : damaged) {
        try {
            tk::InflateRcData("TMAINFORM", bytes);
            ADD_FAILURE() << bytes.size() << " bytes inflated";
        } catch (const tk::EResNotFound& error) {
            EXPECT_STREQ(error.what(), "Resource TMAINFORM not found");
        }
    }
}
