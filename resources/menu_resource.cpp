#include "resources/menu_resource.h"

#include "resources/resource_reader.h"

namespace {

// Virtual-key codes of the named keys; letters and digits are their upper-case ASCII.
struct KeyWord {
    std::string_view word;
    std::uint16_t key;
};
constexpr KeyWord kKeyWords[] = {
    {"Backspace", 0x08},   {"Tab", 0x09},      {"Enter", 0x0D},       {"Escape", 0x1B},    {"Space", 0x20},
    {"PageUp", 0x21},      {"PageDown", 0x22}, {"End", 0x23},         {"Home", 0x24},      {"Left", 0x25},
    {"Up", 0x26},          {"Right", 0x27},    {"Down", 0x28},        {"Insert", 0x2D},    {"Delete", 0x2E},
    {"NumMultiply", 0x6A}, {"NumAdd", 0x6B},   {"NumSubtract", 0x6D}, {"NumDivide", 0x6F},
};
constexpr std::uint16_t kF1 = 0x70;

struct ModifierWord {
    std::string_view word;
    std::uint8_t flag;
};
constexpr ModifierWord kModifierWords[] = {{"Ctrl", kAccelCtrl}, {"Alt", kAccelAlt}, {"Shift", kAccelShift}};

bool KeyOfWord(std::string_view word, std::uint16_t& key) {
    if (word.size() == 1 && ((word[0] >= 'A' && word[0] <= 'Z') || (word[0] >= '0' && word[0] <= '9'))) {
        key = std::uint16_t(word[0]);
        return true;
    }
    if (word.size() >= 2 && word.size() <= 3 && word[0] == 'F') {
        int n = 0;
        for (char c : word.substr(1)) {
            if (c < '0' || c > '9') return false;
            n = n * 10 + (c - '0');
        }
        if (n < 1 || n > 24 || word[1] == '0') return false;
        key = std::uint16_t(kF1 + n - 1);
        return true;
    }
    for (const KeyWord& k : kKeyWords) {
        if (k.word == word) {
            key = k.key;
            return true;
        }
    }
    return false;
}

// "Ctrl+Shift+F5": modifiers, each once, then the key. Empty on success, else the reason.
std::string ReadKey(std::string_view text, Accelerator& out) {
    out.modifiers = 0;
    for (;;) {
        const std::size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 == text.size()) break;
        const std::string_view part = text.substr(0, plus);
        const ModifierWord* found = nullptr;
        for (const ModifierWord& m : kModifierWords) {
            if (m.word == part) found = &m;
        }
        if (!found) return "unknown key modifier '" + std::string(part) + "'";
        if (out.modifiers & found->flag) return "the key modifier " + std::string(part) + " is given twice";
        out.modifiers |= found->flag;
        text.remove_prefix(plus + 1);
    }
    if (!KeyOfWord(text, out.key)) return "unknown key '" + std::string(text) + "'";
    return {};
}

bool ReadItemFlags(resread::Fields& f, std::uint32_t& flags) {
    while (!f.AtEnd()) {
        if (f.Take("grayed")) {
            flags |= kMenuGrayed;
        } else if (f.Take("checked")) {
            flags |= kMenuChecked;
        } else if (f.Take("radio")) {
            flags |= kMenuRadio;
        } else {
            std::string word;
            if (!f.Word(word, "menu flag")) return false;
            return f.Fail("unknown menu flag '" + word + "'");
        }
    }
    return true;
}

// Reads the items of a menu or popup up to its "end".
bool ReadItems(const resread::Line& opening, resread::Context& context, const std::string& what,
               std::vector<MenuItem>& items) {
    resread::Line line;
    while (resread::NextInBlock(context, opening, what.c_str(), line)) {
        if (resread::IsEnd(line)) return true;
        const std::string_view keyword = line.Keyword();
        resread::Fields f(line, context);
        MenuItem item;
        if (keyword == "item") {
            item.kind = MenuItem::Kind::Command;
            if (!f.Id(item.command, "command id") || !f.Text(item.text, "item text") || !ReadItemFlags(f, item.flags)) {
                return false;
            }
        } else if (keyword == "separator") {
            item.kind = MenuItem::Kind::Separator;
            if (!f.End()) return false;
        } else if (keyword == "popup") {
            item.kind = MenuItem::Kind::Popup;
            if (!f.Text(item.text, "popup text") || !ReadItemFlags(f, item.flags)) return false;
            if (!ReadItems(line, context, "the popup", item.items)) return false;
        } else {
            return resread::Fail(context, line.number, "unknown keyword '" + std::string(keyword) + "' in " + what);
        }
        items.push_back(std::move(item));
    }
    return false;
}

const MenuItem* FindIn(const std::vector<MenuItem>& items, std::uint32_t command) {
    for (const MenuItem& item : items) {
        if (item.kind == MenuItem::Kind::Command && item.command == command) return &item;
        if (item.kind == MenuItem::Kind::Popup) {
            if (const MenuItem* found = FindIn(item.items, command)) return found;
        }
    }
    return nullptr;
}

}  // namespace

const MenuItem* Menu::FindCommand(std::uint32_t command) const { return FindIn(items, command); }

std::uint32_t AcceleratorTable::Find(std::uint16_t key, std::uint8_t modifiers) const {
    for (const Accelerator& a : entries) {
        if (a.key == key && a.modifiers == modifiers) return a.command;
    }
    return 0;
}

std::string KeyText(const Accelerator& accelerator) {
    std::string name;
    const std::uint16_t key = accelerator.key;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        name = std::string(1, char(key));
    } else if (key >= kF1 && key < kF1 + 24) {
        name = "F" + std::to_string(key - kF1 + 1);
    } else {
        for (const KeyWord& k : kKeyWords) {
            if (k.key == key) name = k.word;
        }
    }
    if (name.empty()) return {};
    std::string text;
    for (const ModifierWord& m : kModifierWords) {
        if (accelerator.modifiers & m.flag) text += std::string(m.word) + "+";
    }
    return text + name;
}

namespace resread {

bool ReadMenuBlock(const Line& opening, Context& context, Menu& out) {
    Fields f(opening, context);
    if (!f.Id(out.id, "menu id") || !f.End()) return false;
    return ReadItems(opening, context, "menu " + std::to_string(out.id), out.items);
}

bool ReadAcceleratorBlock(const Line& opening, Context& context, AcceleratorTable& out) {
    Fields f(opening, context);
    if (!f.Id(out.id, "accelerator table id") || !f.End()) return false;
    const std::string what = "accelerator table " + std::to_string(out.id);
    Line line;
    while (NextInBlock(context, opening, what.c_str(), line)) {
        if (IsEnd(line)) return true;
        Fields keyFields(line, context, 0);
        std::string keyText;
        if (!keyFields.Word(keyText, "key")) return false;
        Accelerator accelerator;
        if (std::string reason = ReadKey(keyText, accelerator); !reason.empty()) {
            return Fail(context, line.number, std::move(reason));
        }
        if (!keyFields.Id(accelerator.command, "command id") || !keyFields.End()) return false;
        if (out.Find(accelerator.key, accelerator.modifiers) != 0) {
            return Fail(context, line.number, "the key " + keyText + " is given twice in " + what);
        }
        out.entries.push_back(accelerator);
    }
    return false;
}

}  // namespace resread
