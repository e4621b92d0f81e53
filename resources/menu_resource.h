#pragma once
// Menus (nested popups, command items, separators) and accelerator tables.
//
// Plain values; thread-safe to read.
#include <cstdint>
#include <string>
#include <vector>

#include "resources/string_table.h"

enum MenuItemFlag : std::uint32_t {
    kMenuGrayed = 1u << 0,  // shown disabled
    kMenuChecked = 1u << 1,
    kMenuRadio = 1u << 2,  // a check mark drawn as a radio bullet
};

struct MenuItem {
    enum class Kind : std::uint8_t { Command, Separator, Popup };
    Kind kind = Kind::Command;
    std::uint32_t command = 0;  // Command only
    ResourceText text;          // Command and Popup
    std::uint32_t flags = 0;
    std::vector<MenuItem> items;  // Popup only

    bool Has(MenuItemFlag flag) const { return (flags & flag) != 0; }
};

struct Menu {
    std::uint32_t id = 0;
    std::vector<MenuItem> items;  // a menu bar's popups, or a context menu's popup

    // The first command item with that id, searched depth first; null when none.
    const MenuItem* FindCommand(std::uint32_t command) const;
};

enum AcceleratorModifier : std::uint8_t {
    kAccelCtrl = 1u << 0,
    kAccelAlt = 1u << 1,
    kAccelShift = 1u << 2,
};

// One key of an accelerator table. key is a virtual-key code: 'A'..'Z', '0'..'9', and the
// codes of the named keys (KeyName gives each its word).
struct Accelerator {
    std::uint16_t key = 0;
    std::uint8_t modifiers = 0;
    std::uint32_t command = 0;

    bool operator==(const Accelerator&) const = default;
};

struct AcceleratorTable {
    std::uint32_t id = 0;
    std::vector<Accelerator> entries;  // as written; no key and modifiers twice

    // The command of key with modifiers; 0 when the table has none.
    std::uint32_t Find(std::uint16_t key, std::uint8_t modifiers) const;
};

// The key's text as a resource writes it ("Ctrl+Shift+F5"); empty for a key the format
// has no word for.
std::string KeyText(const Accelerator& accelerator);
