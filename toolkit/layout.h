#pragma once
// Window layouts: a small text format in the style of form description files,
//
//   object MainForm: TMainForm
//     ClientWidth = 685
//     Caption = 'Corvane'#174
//     BorderIcons = [biSystemMenu, biMinimize]
//     Font.Name = 'Tahoma'
//     object btnSetup: TAdvToolButton
//       Left = 102
//       OnClick = btnSetupClick
//     end
//   end
//
// parsed into a tree of objects with named properties. Strings are single-quoted ('' is
// a quote) and may be joined with #nnn character codes; identifiers, integers and sets
// of identifiers are the other value kinds. Parsing is portable; building windows from
// a layout is the toolkit's TForm::LoadLayout.
#include "toolkit/exception.h"

#include <memory>
#include <string>
#include <vector>

namespace tk {

struct LayoutValue {
    enum Kind { Integer, String, Identifier, Set } kind = Integer;
    long long integer = 0;
    std::string text;             // String and Identifier
    std::vector<std::string> set; // Set
};

struct LayoutProperty {
    std::string name; // dotted names stay whole: "Font.Name"
    LayoutValue value;
};

struct LayoutObject {
    std::string name;
    std::string className;
    std::vector<LayoutProperty> properties;
    std::vector<std::unique_ptr<LayoutObject>> children;

    const LayoutValue* Find(const std::string& property) const;
    // Depth-first search of this object and its descendants by object name.
    const LayoutObject* FindObject(const std::string& objectName) const;
};

class ELayoutError : public Exception {
public:
    using Exception::Exception;
};

// Parses one layout text; raises ELayoutError naming the line of the first fault.
std::unique_ptr<LayoutObject> ParseLayout(const std::string& text);

// Layouts give positions, sizes and font heights in pixels at 96 dpi. Whether
// `property` is such a figure, and the value a property takes at `dpi`: positions and sizes
// scaled with Scale, font heights scaled and rounded toward zero (a font never outgrows the
// room laid out for its text), anything else as written.
bool IsScaledProperty(const std::string& property);
LayoutValue ValueAtDpi(const LayoutProperty& property, int dpi);

} // namespace tk
