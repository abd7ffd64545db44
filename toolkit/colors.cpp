#include "toolkit/colors.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tk {

int Round(double x) {
    double floor = std::floor(x);
    double diff = x - floor;
    if (diff > 0.5) return static_cast<int>(floor) + 1;
    if (diff < 0.5) return static_cast<int>(floor);
    long long f = static_cast<long long>(floor);
    return static_cast<int>(f % 2 == 0 ? f : f + 1);
}

namespace {
struct NamedColor {
    const char* name;
    TColor value;
};
constexpr NamedColor kNamedColors[] = {
    {"clNone", clNone},       {"clBlack", clBlack},         {"clMaroon", clMaroon},
    {"clRed", clRed},         {"clLime", clLime},           {"clYellow", clYellow},
    {"clBlue", clBlue},       {"clGray", clGray},           {"clSilver", clSilver},
    {"clWhite", clWhite},     {"clFuchsia", clFuchsia},     {"clWindowText", clWindowText},
    {"clBtnFace", clBtnFace}, {"clBtnShadow", clBtnShadow}, {"clBtnHighlight", clBtnHighlight},
};
} // namespace

bool ParseColor(const char* text, TColor& color) {
    for (const auto& named : kNamedColors) {
        if (std::strcmp(text, named.name) == 0) {
            color = named.value;
            return true;
        }
    }
    char* end = nullptr;
    unsigned long value;
    if (text[0] == '$')
        value = std::strtoul(text + 1, &end, 16);
    else
        value = std::strtoul(text, &end, 10);
    if (end == text || *end != '\0') return false;
    color = static_cast<TColor>(value);
    return true;
}

} // namespace tk
