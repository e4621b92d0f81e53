#include "resources/dialog_template.h"

#include <set>

#include "resources/resource_reader.h"

namespace {

constexpr std::uint32_t Bit(ControlClass c) { return 1u << unsigned(c); }
constexpr std::uint32_t kAllClasses = ~0u;

struct ClassWord {
    std::string_view word;
    ControlClass kind;
};
constexpr ClassWord kClassWords[] = {
    {"button", ControlClass::Button},       {"check", ControlClass::Check},       {"radio", ControlClass::Radio},
    {"group", ControlClass::Group},         {"edit", ControlClass::Edit},         {"static", ControlClass::Static},
    {"listbox", ControlClass::ListBox},     {"combobox", ControlClass::ComboBox}, {"progress", ControlClass::Progress},
    {"animation", ControlClass::Animation}, {"tree", ControlClass::Tree},
};

struct StyleWord {
    std::string_view word;
    ControlStyle flag;
    std::uint32_t classes;  // Bit() of each class that takes the flag
};
constexpr StyleWord kStyleWords[] = {
    {"disabled", kCtlDisabled, kAllClasses},
    {"hidden", kCtlHidden, kAllClasses},
    {"tabstop", kCtlTabStop, kAllClasses},
    {"group", kCtlGroup, kAllClasses},
    {"border", kCtlBorder, kAllClasses},
    {"vscroll", kCtlVScroll, kAllClasses},
    {"hscroll", kCtlHScroll, kAllClasses},
    {"default", kCtlDefault, Bit(ControlClass::Button)},
    {"threestate", kCtlThreeState, Bit(ControlClass::Check)},
    {"multiline", kCtlMultiline, Bit(ControlClass::Edit) | Bit(ControlClass::Button)},
    {"readonly", kCtlReadOnly, Bit(ControlClass::Edit)},
    {"password", kCtlPassword, Bit(ControlClass::Edit)},
    {"number", kCtlNumber, Bit(ControlClass::Edit)},
    {"autohscroll", kCtlAutoHScroll, Bit(ControlClass::Edit)},
    {"wantreturn", kCtlWantReturn, Bit(ControlClass::Edit)},
    {"center", kCtlCenter, Bit(ControlClass::Static) | Bit(ControlClass::Animation)},
    {"right", kCtlRight, Bit(ControlClass::Static)},
    {"sunken", kCtlSunken, Bit(ControlClass::Static)},
    {"notify", kCtlNotify, Bit(ControlClass::Static) | Bit(ControlClass::ListBox)},
    {"noprefix", kCtlNoPrefix, Bit(ControlClass::Static)},
    {"sort", kCtlSort, Bit(ControlClass::ListBox) | Bit(ControlClass::ComboBox)},
    {"multiple", kCtlMultipleSelection, Bit(ControlClass::ListBox)},
    {"extended", kCtlExtendedSelection, Bit(ControlClass::ListBox)},
    {"dropdown", kCtlDropDown, Bit(ControlClass::ComboBox)},
    {"droplist", kCtlDropList, Bit(ControlClass::ComboBox)},
    {"smooth", kCtlSmooth, Bit(ControlClass::Progress)},
    {"vertical", kCtlVertical, Bit(ControlClass::Progress)},
    {"transparent", kCtlTransparent, Bit(ControlClass::Animation)},
    {"autoplay", kCtlAutoPlay, Bit(ControlClass::Animation)},
    {"hasbuttons", kCtlHasButtons, Bit(ControlClass::Tree)},
    {"haslines", kCtlHasLines, Bit(ControlClass::Tree)},
    {"linesatroot", kCtlLinesAtRoot, Bit(ControlClass::Tree)},
    {"showselalways", kCtlShowSelAlways, Bit(ControlClass::Tree) | Bit(ControlClass::ListBox)},
    {"checkboxes", kCtlCheckBoxes, Bit(ControlClass::Tree)},
    {"editlabels", kCtlEditLabels, Bit(ControlClass::Tree)},
};

struct DialogStyleWord {
    std::string_view word;
    DialogStyle flag;
};
constexpr DialogStyleWord kDialogStyleWords[] = {
    {"child", kDlgChild},
    {"sysmenu", kDlgSysMenu},
    {"resizable", kDlgResizable},
    {"minimizebox", kDlgMinimizeBox},
    {"maximizebox", kDlgMaximizeBox},
    {"appwindow", kDlgAppWindow},
    {"center", kDlgCenter},
};

// The class of a control line's first word; false for a word that names no class.
bool ClassOfWord(std::string_view word, DialogControl& control) {
    for (const ClassWord& c : kClassWords) {
        if (c.word == word) {
            control.kind = c.kind;
            return true;
        }
    }
    for (std::string_view custom : CustomControlClasses()) {
        if (custom == word) {
            control.kind = ControlClass::Custom;
            control.customClass.assign(word);
            return true;
        }
    }
    return false;
}

bool ReadFont(const resread::Line& line, resread::Context& context, DialogFont& font) {
    resread::Fields f(line, context);
    if (!f.Quoted(font.name, "font name") || !f.Int(font.pointSize, 1, 144, "point size")) return false;
    while (!f.AtEnd()) {
        if (f.Take("bold")) {
            font.bold = true;
        } else if (f.Take("italic")) {
            font.italic = true;
        } else {
            return f.End();
        }
    }
    return true;
}

bool ReadDialogStyle(const resread::Line& line, resread::Context& context, std::uint32_t& style) {
    resread::Fields f(line, context);
    while (!f.AtEnd()) {
        std::string word;
        if (!f.Word(word, "style")) return false;
        const DialogStyleWord* found = nullptr;
        for (const DialogStyleWord& w : kDialogStyleWords) {
            if (w.word == word) found = &w;
        }
        if (!found) return f.Fail("unknown dialog style '" + word + "'");
        style |= found->flag;
    }
    return true;
}

bool ReadControl(const resread::Line& line, resread::Context& context, DialogControl& control) {
    const std::string_view classWord = line.Keyword();
    if (!ClassOfWord(classWord, control)) {
        return resread::Fail(context, line.number, "unknown control class '" + std::string(classWord) + "'");
    }
    resread::Fields f(line, context);
    if (!f.Int(control.id, kStaticControlId, 65535, "control id") || !f.Text(control.text, "control text") ||
        !f.Int(control.x, -32768, 32767, "x") || !f.Int(control.y, -32768, 32767, "y") ||
        !f.Int(control.width, 0, 32767, "width") || !f.Int(control.height, 0, 32767, "height")) {
        return false;
    }
    const std::uint32_t classBit = Bit(control.kind);
    while (!f.AtEnd()) {
        std::string word;
        if (!f.Word(word, "style")) return false;
        const StyleWord* found = nullptr;
        for (const StyleWord& w : kStyleWords) {
            if (w.word == word && (w.classes & classBit)) found = &w;
        }
        if (!found) return f.Fail("unknown style '" + word + "' for class '" + std::string(classWord) + "'");
        control.style |= found->flag;
    }
    return true;
}

}  // namespace

const std::vector<std::string_view>& CustomControlClasses() {
    // The program's own controls that dialogs place: a word here needs a builder
    // registered under it in the windowing layer.
    static const std::vector<std::string_view> classes = {"grid", "textprogress"};
    return classes;
}

std::string_view ControlClassWord(const DialogControl& control) {
    if (control.kind == ControlClass::Custom) return control.customClass;
    for (const ClassWord& c : kClassWords) {
        if (c.kind == control.kind) return c.word;
    }
    return {};
}

const DialogControl* DialogTemplate::FindControl(std::int32_t controlId) const {
    for (const DialogControl& c : controls) {
        if (c.id == controlId) return &c;
    }
    return nullptr;
}

namespace resread {

bool ReadDialogBlock(const Line& opening, Context& context, DialogTemplate& out) {
    Fields f(opening, context);
    if (!f.Id(out.id, "dialog id") || !f.Text(out.caption, "caption") || !f.Int(out.width, 1, 32767, "width") ||
        !f.Int(out.height, 1, 32767, "height") || !f.End()) {
        return false;
    }
    const std::string what = "dialog " + std::to_string(out.id);
    bool haveFont = false;
    bool haveStyle = false;
    std::set<std::int32_t> ids;
    Line line;
    while (NextInBlock(context, opening, what.c_str(), line)) {
        if (IsEnd(line)) return true;
        const std::string_view keyword = line.Keyword();
        if (keyword == "font") {
            if (haveFont) return Fail(context, line.number, "the font of " + what + " is given twice");
            haveFont = true;
            if (!ReadFont(line, context, out.font)) return false;
        } else if (keyword == "style") {
            if (haveStyle) return Fail(context, line.number, "the style of " + what + " is given twice");
            haveStyle = true;
            if (!ReadDialogStyle(line, context, out.style)) return false;
        } else {
            DialogControl control;
            if (!ReadControl(line, context, control)) return false;
            if (control.id != kStaticControlId && !ids.insert(control.id).second) {
                return Fail(context, line.number,
                            "control id " + std::to_string(control.id) + " is given twice in " + what);
            }
            out.controls.push_back(std::move(control));
        }
    }
    return false;
}

}  // namespace resread
