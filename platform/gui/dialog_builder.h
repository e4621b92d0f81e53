#pragma once
// Building a dialog's controls from its template (resources/dialog_template.h): one Qt
// widget per control, in template order (which is the tab order), each placed at its
// rectangle mapped from dialog units, with its control id, its text (a string-table text
// looked up now) and its style flags.
//
// Classes: button QPushButton, check QCheckBox, radio QRadioButton (a run from one control
// with the group flag to the next is one exclusive group), group QGroupBox (kept below its
// siblings), edit QLineEdit (multiline: QPlainTextEdit), static QLabel, listbox
// QListWidget, combobox QComboBox (the template's height includes the list: the field
// keeps its own height), progress QProgressBar (0..100 until set), animation
// AnimationControl (text: the animation resource to open), tree QTreeWidget. A custom
// class (CustomControlClasses) is made by the factory registered under its word.
//
// Threads: GUI thread only.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/geometry.h"
#include "resources/dialog_template.h"

namespace gui {

// Makes the widget of a custom control as a child of parent; the builder then places it
// and gives it id, flags and focus order. Null means it cannot be made (a build error).
using ControlFactory = std::function<QWidget*(const DialogControl& control, QWidget* parent)>;

// Registers the factory of a custom class word; a later registration replaces an earlier
// one, an empty factory removes it.
void RegisterControlClass(std::string_view word, ControlFactory factory);

// Maps a rectangle in dialog units to pixels (the dialog base's MapDialogRect).
using DialogUnitMapper = std::function<Rect(const Rect& dialogUnits)>;

struct BuiltControl {
    std::int32_t id = kStaticControlId;
    QWidget* widget = nullptr;
};

// Creates the controls of dialog as children of parent. False with error ("dialog 141:
// no factory for control class 'grid'") when a custom class has no factory or its factory
// gives nothing; nothing is left created then.
bool BuildDialogControls(const DialogTemplate& dialog, QWidget* parent, const DialogUnitMapper& map,
                         std::vector<BuiltControl>& controls, std::string& error);

}  // namespace gui
