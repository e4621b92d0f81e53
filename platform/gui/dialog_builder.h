#pragma once
// Building a dialog from its template (resources/dialog_template.h): one Qt widget per
// control, in template order (which is the tab order), each placed at its rectangle mapped
// from dialog units, with its control id (SetControlId), its text (a string-table text
// looked up now) and its style flags; for a Dialog also its font, caption, size and frame.
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

class Dialog;

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

// Builds a Dialog from its template: the template's font becomes the dialog font (an empty
// name keeps the program's), the caption its window title, the size in dialog units its
// client size (fixed unless the template is resizable), the controls are bound to their
// ids (buttons send WM_COMMAND) and a button with the default flag becomes the default id.
// A close button only with the sysmenu style, minimise and maximise buttons with theirs.
// False with error as BuildDialogControls; the dialog then has no controls.
bool BuildDialogFromTemplate(Dialog& dialog, const DialogTemplate& dialogTemplate, std::string& error);

// Installs the template builder of Dialog: the template of a dialog's id is found with
// FindResource (a language's first) and built with BuildDialogFromTemplate. A template
// that does not exist or does not build fails the dialog (DoModal gives -1) and the reason
// is written to Qt's warning log. The application calls it once at start-up.
void InstallDialogTemplateBuilder();

}  // namespace gui
