#include "toolkit/layout.h"

#include "toolkit/dpi.h"
#include "toolkit/format.h"

#include <cctype>

namespace tk {

const LayoutValue* LayoutObject::Find(const std::string& property) const {
    for (const auto& p : properties)
        if (p.name == property) return &p.value;
    return nullptr;
}

const LayoutObject* LayoutObject::FindObject(const std::string& objectName) const {
    if (name == objectName) return this;
    for (const auto& child : children)
        if (const LayoutObject* found = child->FindObject(objectName)) return found;
    return nullptr;
}

namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    std::unique_ptr<LayoutObject> Document() {
        SkipBlank();
        auto root = Object();
        SkipBlank();
        if (pos_ != text_.size()) Fail("text after the last 'end'");
        return root;
    }

private:
    [[noreturn]] void Fail(const char* what) {
        throw ELayoutError(Format("Layout error in line %d: %s", line_, what));
    }

    void SkipBlank() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else {
                break;
            }
        }
    }

    static bool IsNameChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
    }

    std::string Name() {
        SkipBlank();
        size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_]))
            ++pos_;
        if (start == pos_) Fail("a name was expected");
        return text_.substr(start, pos_ - start);
    }

    void Expect(char c) {
        SkipBlank();
        if (pos_ >= text_.size() || text_[pos_] != c) {
            std::string what = Format("'%c' was expected", c);
            Fail(what.c_str());
        }
        ++pos_;
    }

    bool PeekWord(const char* word) {
        SkipBlank();
        size_t n = std::char_traits<char>::length(word);
        return text_.compare(pos_, n, word) == 0 &&
               (pos_ + n == text_.size() || !IsNameChar(text_[pos_ + n]));
    }

    std::unique_ptr<LayoutObject> Object() {
        if (!PeekWord("object")) Fail("'object' was expected");
        pos_ += 6;
        auto object = std::make_unique<LayoutObject>();
        object->name = Name();
        Expect(':');
        object->className = Name();
        for (;;) {
            if (PeekWord("end")) {
                pos_ += 3;
                return object;
            }
            if (PeekWord("object")) {
                object->children.push_back(Object());
                continue;
            }
            if (pos_ >= text_.size()) Fail("'end' was expected");
            LayoutProperty property;
            property.name = Name();
            Expect('=');
            property.value = Value();
            object->properties.push_back(std::move(property));
        }
    }

    LayoutValue Value() {
        SkipBlank();
        if (pos_ >= text_.size()) Fail("a value was expected");
        LayoutValue value;
        char c = text_[pos_];
        if (c == '\'' || c == '#') {
            value.kind = LayoutValue::String;
            value.text = StringValue();
        } else if (c == '[') {
            value.kind = LayoutValue::Set;
            ++pos_;
            SkipBlank();
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return value;
            }
            for (;;) {
                value.set.push_back(Name());
                SkipBlank();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                Expect(']');
                break;
            }
        } else if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
            value.kind = LayoutValue::Integer;
            value.integer = IntegerValue();
        } else {
            value.kind = LayoutValue::Identifier;
            value.text = Name();
        }
        return value;
    }

    long long IntegerValue() {
        bool negative = false;
        if (text_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        int base = 10;
        if (pos_ < text_.size() && text_[pos_] == '$') {
            base = 16;
            ++pos_;
        }
        long long result = 0;
        size_t start = pos_;
        while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
            char d = text_[pos_];
            int digit = std::isdigit(static_cast<unsigned char>(d)) ? d - '0'
                                                                    : (std::tolower(d) - 'a' + 10);
            if (digit >= base) break;
            if (result > (1LL << 40)) Fail("number out of range");
            result = result * base + digit;
            ++pos_;
        }
        if (start == pos_) Fail("a number was expected");
        return negative ? -result : result;
    }

    std::string StringValue() {
        std::string result;
        for (;;) {
            if (pos_ < text_.size() && text_[pos_] == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= text_.size() || text_[pos_] == '\n') Fail("unterminated string");
                    char c = text_[pos_++];
                    if (c == '\'') {
                        if (pos_ < text_.size() && text_[pos_] == '\'') {
                            result += '\'';
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    result += c;
                }
            } else if (pos_ < text_.size() && text_[pos_] == '#') {
                ++pos_;
                long long code = IntegerValue();
                if (code < 0 || code > 255) Fail("character code out of range");
                result += static_cast<char>(code);
            } else {
                return result;
            }
        }
    }

    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

std::unique_ptr<LayoutObject> ParseLayout(const std::string& text) {
    return Parser(text).Document();
}

bool IsScaledProperty(const std::string& property) {
    static const char* const kFigures[] = {"Left",        "Top",          "Width",      "Height",
                                           "ClientWidth", "ClientHeight", "Font.Height"};
    for (const char* figure : kFigures)
        if (property == figure) return true;
    return false;
}

LayoutValue ValueAtDpi(const LayoutProperty& property, int dpi) {
    LayoutValue value = property.value;
    if (value.kind != LayoutValue::Integer || !IsScaledProperty(property.name)) return value;
    long long figure = value.integer;
    if (figure < -1000000 || figure > 1000000) return value;
    if (property.name == "Font.Height") {
        // Text is measured once the font exists, and grows a little faster than its height
        // (hinting), while the room around it is scaled exactly: a font height rounded up
        // would push the longest lines past their parent. Rounded toward zero instead.
        if (dpi > 0) value.integer = figure * dpi / kDesignDpi;
        return value;
    }
    value.integer = Scale(static_cast<int>(figure), dpi);
    return value;
}

} // namespace tk
