// Display scale: the one conversion of 96-dpi figures, and which layout values it touches.
#include "toolkit/dpi.h"
#include "toolkit/layout.h"

#include <gtest/gtest.h>

namespace {

TEST(Scale, RoundsHalvesAwayFromZeroAlike) {
    // The main window's 685 x 400 client area at 150 %.
    EXPECT_EQ(tk::Scale(685, 144), 1028);
    EXPECT_EQ(tk::Scale(400, 144), 600);
    EXPECT_EQ(tk::Scale(15, 120), 19); // 18.75
    EXPECT_EQ(tk::Scale(1, 120), 1);   // 1.25
    EXPECT_EQ(tk::Scale(1, 144), 2);   // 1.5
    EXPECT_EQ(tk::Scale(105, 192), 210);
    // Font heights are negative (character heights): a font must come out the same size
    // whichever sign it is written with.
    EXPECT_EQ(tk::Scale(-15, 144), -23);
    EXPECT_EQ(tk::Scale(-13, 144), -20);
    EXPECT_EQ(tk::Scale(-15, 120), -19);
    // 96 dpi, and an unknown scale, leave figures alone.
    EXPECT_EQ(tk::Scale(433, 96), 433);
    EXPECT_EQ(tk::Scale(433, 0), 433);
}

TEST(ValueAtDpi, ScalesPixelFiguresAndNothingElse) {
    auto root = tk::ParseLayout(R"(object F: TForm
  ClientWidth = 447
  ClientHeight = 170
  Font.Height = -11
  Color = $00018CE9
  object B: TAdvToolButton
    Left = 54
    Top = 6
    Width = 114
    Height = 26
    ColorHotTo = $00018CE9
    Caption = 'Pause'
  end
  object P: TAdvProgressBar
    Max = 100
    Position = 50
    Steps = 8
    Level1Perc = 70
  end
  object G: TJvGradient
    Steps = 100
  end
end
)");
    auto at144 = [](const tk::LayoutObject& object) {
        std::vector<std::pair<std::string, long long>> values;
        for (const auto& property : object.properties) {
            tk::LayoutValue value = tk::ValueAtDpi(property, 144);
            values.emplace_back(property.name, value.kind == tk::LayoutValue::Integer
                                                   ? value.integer
                                                   : static_cast<long long>(value.text.size()));
        }
        return values;
    };
    using Values = std::vector<std::pair<std::string, long long>>;
    EXPECT_EQ(at144(*root), (Values{{"ClientWidth", 671},
                                    {"ClientHeight", 255},
                                    {"Font.Height", -16}, // 16.5: a font rounds down
                                    {"Color", 0x00018CE9}}));
    EXPECT_EQ(at144(*root->children[0]), (Values{{"Left", 81},
                                                 {"Top", 9},
                                                 {"Width", 171},
                                                 {"Height", 39},
                                                 {"ColorHotTo", 0x00018CE9},
                                                 {"Caption", 5}}));
    // Counts, percentages and positions of a bar are no pixels.
    EXPECT_EQ(at144(*root->children[1]),
              (Values{{"Max", 100}, {"Position", 50}, {"Steps", 8}, {"Level1Perc", 70}}));
    EXPECT_EQ(at144(*root->children[2]), (Values{{"Steps", 100}}));
}

} // namespace
