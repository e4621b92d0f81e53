#include "platform/gui/dialog_builder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <map>

#include "platform/gui/animation_control.h"
#include "platform/gui/dialog.h"
#include "platform/gui/qt_convert.h"
#include "resources/resource_set.h"

namespace gui {

namespace {

std::map<std::string, ControlFactory, std::less<>>& Factories() {
    static std::map<std::string, ControlFactory, std::less<>> factories;
    return factories;
}

Qt::ScrollBarPolicy ScrollPolicy(const DialogControl& c, ControlStyle flag) {
    return c.Has(flag) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
}

QWidget* MakeEdit(const DialogControl& c, const QString& text, QWidget* parent) {
    if (c.Has(kCtlMultiline)) {
        auto* edit = new QPlainTextEdit(text, parent);
        edit->setReadOnly(c.Has(kCtlReadOnly));
        edit->setVerticalScrollBarPolicy(ScrollPolicy(c, kCtlVScroll));
        edit->setHorizontalScrollBarPolicy(ScrollPolicy(c, kCtlHScroll));
        edit->setLineWrapMode(c.Has(kCtlHScroll) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        return edit;
    }
    auto* edit = new QLineEdit(text, parent);
    edit->setReadOnly(c.Has(kCtlReadOnly));
    if (c.Has(kCtlPassword)) edit->setEchoMode(QLineEdit::Password);
    if (c.Has(kCtlNumber)) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    return edit;
}

QWidget* MakeStatic(const DialogControl& c, const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    const Qt::Alignment horizontal = c.Has(kCtlCenter)  ? Qt::AlignHCenter
                                     : c.Has(kCtlRight) ? Qt::AlignRight
                                                        : Qt::AlignLeft;
    label->setAlignment(horizontal | Qt::AlignTop);
    if (c.Has(kCtlSunken)) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (c.Has(kCtlBorder)) label->setFrameStyle(QFrame::Box | QFrame::Plain);
    return label;
}

QWidget* MakeListBox(const DialogControl& c, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSortingEnabled(c.Has(kCtlSort));
    list->setSelectionMode(c.Has(kCtlExtendedSelection)   ? QAbstractItemView::ExtendedSelection
                           : c.Has(kCtlMultipleSelection) ? QAbstractItemView::MultiSelection
                                                          : QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy(ScrollPolicy(c, kCtlVScroll));
    list->setHorizontalScrollBarPolicy(ScrollPolicy(c, kCtlHScroll));
    return list;
}

QWidget* MakeComboBox(const DialogControl& c, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(c.Has(kCtlDropDown));
    if (c.Has(kCtlSort)) combo->setInsertPolicy(QComboBox::InsertAlphabetically);
    return combo;
}

QWidget* MakeTree(const DialogControl& c, QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated(c.Has(kCtlLinesAtRoot) || c.Has(kCtlHasButtons));
    tree->setItemsExpandable(c.Has(kCtlHasButtons));
    if (c.Has(kCtlEditLabels))
        tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    return tree;
}

QWidget* MakeAnimation(const DialogControl& c, const QString& text, QWidget* parent) {
    auto* animation = new AnimationControl(parent);
    animation->SetCentered(c.Has(kCtlCenter));
    bool isNumber = false;
    const uint id = text.toUInt(&isNumber);
    if (isNumber && animation->Open(id) && c.Has(kCtlAutoPlay)) animation->Play(0, -1, -1);
    return animation;
}

QWidget* MakeWidget(const DialogControl& c, QWidget* parent) {
    const QString text = ToQString(c.text.Resolve());
    switch (c.kind) {
        case ControlClass::Button: {
            auto* button = new QPushButton(text, parent);
            button->setDefault(c.Has(kCtlDefault));
            return button;
        }
        case ControlClass::Check: {
            auto* check = new QCheckBox(text, parent);
            check->setTristate(c.Has(kCtlThreeState));
            return check;
        }
        case ControlClass::Radio:
            return new QRadioButton(text, parent);
        case ControlClass::Group:
            return new QGroupBox(text, parent);
        case ControlClass::Edit:
            return MakeEdit(c, text, parent);
        case ControlClass::Static:
            return MakeStatic(c, text, parent);
        case ControlClass::ListBox:
            return MakeListBox(c, parent);
        case ControlClass::ComboBox:
            return MakeComboBox(c, parent);
        case ControlClass::Progress: {
            auto* bar = new QProgressBar(parent);
            bar->setOrientation(c.Has(kCtlVertical) ? Qt::Vertical : Qt::Horizontal);
            bar->setTextVisible(false);
            return bar;
        }
        case ControlClass::Animation:
            return MakeAnimation(c, text, parent);
        case ControlClass::Tree:
            return MakeTree(c, parent);
        case ControlClass::Custom: {
            auto it = Factories().find(c.customClass);
            return it == Factories().end() ? nullptr : it->second(c, parent);
        }
    }
    return nullptr;
}

// Flags every class takes, and the focus rule: a control without the tab-stop flag is
// left out of the Tab chain but may still be clicked into.
void ApplyCommonFlags(const DialogControl& c, QWidget* widget) {
    widget->setEnabled(!c.Has(kCtlDisabled));
    widget->setVisible(!c.Has(kCtlHidden));
    if (!c.Has(kCtlTabStop) && (widget->focusPolicy() & Qt::TabFocus)) {
        widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() & ~Qt::TabFocus));
    } else if (c.Has(kCtlTabStop) && widget->focusPolicy() != Qt::NoFocus) {
        widget->setFocusPolicy(Qt::StrongFocus);
    }
    if (c.Has(kCtlBorder)) {
        if (auto* frame = qobject_cast<QFrame*>(widget); frame && c.kind != ControlClass::Static) {
            frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        }
    }
}

}  // namespace

void RegisterControlClass(std::string_view word, ControlFactory factory) {
    if (factory) {
        Factories().insert_or_assign(std::string(word), std::move(factory));
    } else if (auto it = Factories().find(word); it != Factories().end()) {
        Factories().erase(it);
    }
}

bool BuildDialogControls(const DialogTemplate& dialog, QWidget* parent, const DialogUnitMapper& map,
                         std::vector<BuiltControl>& controls, std::string& error) {
    std::vector<BuiltControl> built;
    std::vector<QButtonGroup*> buttonGroups;
    auto fail = [&](std::string reason) {
        for (BuiltControl& b : built) delete b.widget;
        for (QButtonGroup* g : buttonGroups) delete g;
        error = "dialog " + std::to_string(dialog.id) + ": " + reason;
        return false;
    };
    QButtonGroup* radios = nullptr;  // the exclusive group of the present run of radio buttons
    std::vector<QGroupBox*> groupBoxes;
    for (const DialogControl& c : dialog.controls) {
        QWidget* widget = MakeWidget(c, parent);
        if (!widget) {
            return fail(c.kind == ControlClass::Custom && !Factories().count(c.customClass)
                            ? "no factory for control class '" + c.customClass + "'"
                            : "the factory of control class '" + c.customClass + "' made no control " +
                                  std::to_string(c.id));
        }
        built.push_back({c.id, widget});
        SetControlId(widget, c.id);
        QRect rect = ToQRect(map(Rect(c.x, c.y, c.x + c.width, c.y + c.height)));
        if (c.kind == ControlClass::ComboBox) rect.setHeight(widget->sizeHint().height());
        widget->setGeometry(rect);
        ApplyCommonFlags(c, widget);
        // A control with the group flag begins a group: radio buttons up to the next one
        // exclude each other.
        if (c.Has(kCtlGroup)) radios = nullptr;
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (!radios) buttonGroups.push_back(radios = new QButtonGroup(parent));
            radio->setAutoExclusive(false);
            radios->addButton(radio);
        }
        if (auto* box = qobject_cast<QGroupBox*>(widget)) groupBoxes.push_back(box);
    }
    // Labels lead to the next control that takes the focus ("&From:" focuses its field);
    // group boxes stay behind the controls they frame.
    for (std::size_t i = 0; i < built.size(); ++i) {
        if (auto* label = qobject_cast<QLabel*>(built[i].widget); label && !dialog.controls[i].Has(kCtlNoPrefix)) {
            for (std::size_t j = i + 1; j < built.size(); ++j) {
                if (built[j].widget->focusPolicy() != Qt::NoFocus && !qobject_cast<QLabel*>(built[j].widget)) {
                    label->setBuddy(built[j].widget);
                    break;
                }
            }
        }
    }
    for (QGroupBox* box : groupBoxes) box->lower();
    for (std::size_t i = 1; i < built.size(); ++i) QWidget::setTabOrder(built[i - 1].widget, built[i].widget);
    controls = std::move(built);
    error.clear();
    return true;
}

bool BuildDialogFromTemplate(Dialog& dialog, const DialogTemplate& dialogTemplate, std::string& error) {
    const DialogFont& f = dialogTemplate.font;
    if (!f.name.empty()) {
        QFont font(ToQString(f.name), f.pointSize, f.bold ? QFont::Bold : QFont::Normal, f.italic);
        dialog.SetDialogFont(font);
    }
    dialog.setWindowTitle(ToQString(dialogTemplate.caption.Resolve()));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialogTemplate.Has(kDlgSysMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate.Has(kDlgMinimizeBox)) flags |= Qt::WindowMinimizeButtonHint;
    if (dialogTemplate.Has(kDlgMaximizeBox)) flags |= Qt::WindowMaximizeButtonHint;
    dialog.setWindowFlags(flags);

    auto map = [&dialog](const Rect& units) {
        Rect r = units;
        dialog.MapDialogRect(r);
        return r;
    };
    std::vector<BuiltControl> controls;
    if (!BuildDialogControls(dialogTemplate, &dialog, map, controls, error)) return false;
    int defaultId = 0;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        dialog.BindControl(controls[i].widget, controls[i].id);
        const DialogControl& c = dialogTemplate.controls[i];
        if (c.kind == ControlClass::Button && c.Has(kCtlDefault) && defaultId == 0) defaultId = c.id;
    }
    if (defaultId != 0) dialog.SetDefID(defaultId);
    const QSize size = ToQSize(map(Rect(0, 0, dialogTemplate.width, dialogTemplate.height)).GetSize());
    if (dialogTemplate.Has(kDlgResizable)) {
        dialog.setMinimumSize(size);
        dialog.resize(size);
    } else {
        dialog.setFixedSize(size);
    }
    return true;
}

void InstallDialogTemplateBuilder() {
    Dialog::SetTemplateBuilder([](Dialog& dialog, std::uint32_t id) {
        const std::shared_ptr<const DialogTemplate> dialogTemplate = FindResource<DialogTemplate>(id);
        std::string error = "dialog " + std::to_string(id) + ": no such template";
        if (dialogTemplate && BuildDialogFromTemplate(dialog, *dialogTemplate, error)) return true;
        qWarning("%s", error.c_str());
        return false;
    });
}

}  // namespace gui
