#pragma once
// Dialog templates: a dialog's caption, its size in dialog units, its font and style, and
// its controls with class, id, text, rectangle (dialog units) and style flags. The
// resource text names classes and flags by words (tables in dialog_template.cpp);
// platform/gui builds the widgets from a template.
//
// Plain values; thread-safe to read.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resources/string_table.h"

// The class of a control. Custom classes are the program's own controls (the grid, ...):
// the resource names them by a word of the custom class list, and the control library
// registers a builder under the same word.
enum class ControlClass : std::uint8_t {
    Button,  // push button
    Check,   // check box
    Radio,   // radio button
    Group,   // group box
    Edit,    // text field
    Static,  // text label
    ListBox,
    ComboBox,
    Progress,   // progress bar
    Animation,  // frame animation (text: the animation resource id, or empty)
    Tree,       // tree view
    Custom,
};

// Style flags of a control. Which flags a class takes is in the flag table; the common
// ones (disabled .. hscroll) go with every class.
enum ControlStyle : std::uint64_t {
    kCtlDisabled = 1ull << 0,
    kCtlHidden = 1ull << 1,
    kCtlTabStop = 1ull << 2,
    kCtlGroup = 1ull << 3,  // the first control of a group (radio buttons, tab order)
    kCtlBorder = 1ull << 4,
    kCtlVScroll = 1ull << 5,
    kCtlHScroll = 1ull << 6,
    kCtlDefault = 1ull << 7,             // button: the default button
    kCtlThreeState = 1ull << 8,          // check box
    kCtlMultiline = 1ull << 9,           // edit, button
    kCtlReadOnly = 1ull << 10,           // edit
    kCtlPassword = 1ull << 11,           // edit
    kCtlNumber = 1ull << 12,             // edit: digits only
    kCtlAutoHScroll = 1ull << 13,        // edit
    kCtlWantReturn = 1ull << 14,         // edit
    kCtlCenter = 1ull << 15,             // static, animation
    kCtlRight = 1ull << 16,              // static
    kCtlSunken = 1ull << 17,             // static
    kCtlNotify = 1ull << 18,             // static, list box
    kCtlNoPrefix = 1ull << 19,           // static: '&' shows as itself
    kCtlSort = 1ull << 20,               // list box, combo box
    kCtlMultipleSelection = 1ull << 21,  // list box
    kCtlExtendedSelection = 1ull << 22,  // list box
    kCtlDropDown = 1ull << 23,           // combo box: editable with a list
    kCtlDropList = 1ull << 24,           // combo box: a list only
    kCtlSmooth = 1ull << 25,             // progress
    kCtlVertical = 1ull << 26,           // progress
    kCtlTransparent = 1ull << 27,        // animation
    kCtlAutoPlay = 1ull << 28,           // animation
    kCtlHasButtons = 1ull << 29,         // tree
    kCtlHasLines = 1ull << 30,           // tree
    kCtlLinesAtRoot = 1ull << 31,        // tree
    kCtlShowSelAlways = 1ull << 32,      // tree, list box
    kCtlCheckBoxes = 1ull << 33,         // tree
    kCtlEditLabels = 1ull << 34,         // tree
};

// The control id of controls that code never addresses.
constexpr std::int32_t kStaticControlId = -1;

struct DialogControl {
    ControlClass kind = ControlClass::Static;
    std::string customClass;  // the class word for ControlClass::Custom, else empty
    std::int32_t id = kStaticControlId;
    ResourceText text;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    std::uint64_t style = 0;

    bool Has(ControlStyle flag) const { return (style & flag) != 0; }
};

enum DialogStyle : std::uint32_t {
    kDlgChild = 1u << 0,    // a page inside another window: no frame, no caption
    kDlgSysMenu = 1u << 1,  // a close button in the caption
    kDlgResizable = 1u << 2,
    kDlgMinimizeBox = 1u << 3,
    kDlgMaximizeBox = 1u << 4,
    kDlgAppWindow = 1u << 5,  // a window of its own on the task bar
    kDlgCenter = 1u << 6,     // centred on its owner
};

// The font of a dialog; its size gives the dialog units. An empty name is the program's
// default dialog font.
struct DialogFont {
    std::u16string name;
    int pointSize = 8;
    bool bold = false;
    bool italic = false;

    bool operator==(const DialogFont&) const = default;
};

struct DialogTemplate {
    std::uint32_t id = 0;
    ResourceText caption;
    int width = 0, height = 0;  // dialog units
    DialogFont font;
    std::uint32_t style = 0;
    std::vector<DialogControl> controls;  // in tab order, as written

    bool Has(DialogStyle flag) const { return (style & flag) != 0; }
    // The first control with that id; null when none has it.
    const DialogControl* FindControl(std::int32_t id) const;
};

// The word of a class ("button", "listbox", ...; a custom class's own word).
std::string_view ControlClassWord(const DialogControl& control);
// The custom class words the resource texts may use.
const std::vector<std::string_view>& CustomControlClasses();
