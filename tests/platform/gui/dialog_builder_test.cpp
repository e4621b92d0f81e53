#include "platform/gui/dialog_builder.h"

#include <gtest/gtest.h>

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
#include <QTest>
#include <QTreeWidget>

#include "platform/gui/animation_control.h"
#include "platform/gui/dialog.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "resources/resource_set.h"
#include "tests/support/gui/screenshot.h"

using namespace gui;

namespace {

DialogTemplate ReadDialog(const char* text) {
    ResourceSet set;
    std::string error;
    EXPECT_TRUE(set.Parse(text, "test.txt", nullptr, error)) << error;
    const DialogTemplate* dialog = set.Dialogs().empty() ? nullptr : &set.Dialogs().begin()->second;
    return dialog ? *dialog : DialogTemplate();
}

// Dialog units as a 6 x 13 pixel dialog font would give them (x * 6 / 4, y * 13 / 8).
Rect MapUnits(const Rect& du) { return Rect(du.left * 6 / 4, du.top * 13 / 8, du.right * 6 / 4, du.bottom * 13 / 8); }
QRect Map(const QRect& du) { return ToQRect(MapUnits(FromQRect(du))); }

QWidget* Control(const std::vector<BuiltControl>& controls, std::int32_t id) {
    for (const BuiltControl& c : controls) {
        if (c.id == id) return c.widget;
    }
    return nullptr;
}

// The next of the built controls in the focus chain (scroll areas put their own parts
// between).
QWidget* NextControl(const std::vector<BuiltControl>& controls, QWidget* from) {
    for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain()) {
        for (const BuiltControl& c : controls) {
            if (c.widget == w) return w;
        }
    }
    return nullptr;
}

const char kOptions[] = R"txt(dialog 300 "Options" 220 140
    static -1 "&Name:" 7 9 40 8
    edit 1001 "first" 50 7 100 12 tabstop
    edit 1002 "" 50 22 100 12 tabstop password
    edit 1003 "123" 50 37 40 12 tabstop number readonly
    group -1 "Mode" 160 4 55 50
    radio 1010 "&Fast" 166 16 45 10 group tabstop
    radio 1011 "&Safe" 166 28 45 10
    radio 1012 "&Other" 166 40 45 10 group tabstop
    check 1020 "&Keep" 7 55 60 10 tabstop threestate
    check 1021 "&Hidden" 7 67 60 10 hidden
    listbox 1030 "" 7 80 60 40 tabstop vscroll extended
    combobox 1031 "" 75 80 60 60 tabstop dropdown
    combobox 1032 "" 75 96 60 60 tabstop droplist
    progress 1040 "" 140 80 75 8 smooth
    tree 1050 "" 140 92 75 28 tabstop hasbuttons linesatroot
    edit 1060 "a\nb" 7 122 60 14 multiline vscroll
    button 1 "&OK" 110 122 50 14 default tabstop
    button 2 @1001 165 122 50 14 tabstop disabled
end
)txt";

TEST(DialogBuilder, EachControlIsItsClassAtItsMappedPlaceWithItsIdAndText) {
    const DialogTemplate dialog = ReadDialog(kOptions);
    QWidget parent;
    std::vector<BuiltControl> controls;
    std::string error;
    ASSERT_TRUE(BuildDialogControls(dialog, &parent, MapUnits, controls, error)) << error;
    ASSERT_EQ(controls.size(), dialog.controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const DialogControl& c = dialog.controls[i];
        QWidget* w = controls[i].widget;
        EXPECT_EQ(controls[i].id, c.id);
        EXPECT_EQ(w->parentWidget(), &parent);
        EXPECT_EQ(ControlId(w), c.id);
        const QRect want = Map(QRect(c.x, c.y, c.width, c.height));
        if (c.kind == ControlClass::ComboBox) {
            // The template's height holds the drop-down list; the field keeps its own.
            EXPECT_EQ(w->geometry().topLeft(), want.topLeft()) << c.id;
            EXPECT_EQ(w->width(), want.width()) << c.id;
            EXPECT_EQ(w->height(), w->sizeHint().height()) << c.id;
        } else {
            EXPECT_EQ(w->geometry(), want) << c.id;
        }
    }
    EXPECT_EQ(qobject_cast<QLabel*>(controls[0].widget)->text(), "&Name:");
    EXPECT_EQ(qobject_cast<QLabel*>(controls[0].widget)->buddy(), Control(controls, 1001));
    EXPECT_EQ(qobject_cast<QLineEdit*>(Control(controls, 1001))->text(), "first");
    EXPECT_EQ(qobject_cast<QLineEdit*>(Control(controls, 1002))->echoMode(), QLineEdit::Password);
    auto* number = qobject_cast<QLineEdit*>(Control(controls, 1003));
    EXPECT_TRUE(number->isReadOnly());
    EXPECT_TRUE(number->hasAcceptableInput());
    number->setText("12a");
    EXPECT_FALSE(number->hasAcceptableInput());
    EXPECT_EQ(qobject_cast<QGroupBox*>(controls[4].widget)->title(), "Mode");
    EXPECT_EQ(qobject_cast<QRadioButton*>(Control(controls, 1010))->text(), "&Fast");
    EXPECT_TRUE(qobject_cast<QCheckBox*>(Control(controls, 1020))->isTristate());
    EXPECT_TRUE(Control(controls, 1021)->isHidden());
    auto* list = qobject_cast<QListWidget*>(Control(controls, 1030));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_TRUE(qobject_cast<QComboBox*>(Control(controls, 1031))->isEditable());
    EXPECT_FALSE(qobject_cast<QComboBox*>(Control(controls, 1032))->isEditable());
    EXPECT_FALSE(qobject_cast<QProgressBar*>(Control(controls, 1040))->isTextVisible());
    EXPECT_NE(qobject_cast<QTreeWidget*>(Control(controls, 1050)), nullptr);
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(Control(controls, 1060))->toPlainText(), "a\nb");
    auto* ok = qobject_cast<QPushButton*>(Control(controls, 1));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_TRUE(ok->isEnabled());
    auto* second = qobject_cast<QPushButton*>(Control(controls, 2));
    EXPECT_EQ(second->text(), "Synchronize");  // @1001 from the string table
    EXPECT_FALSE(second->isEnabled());
}

TEST(DialogBuilder, RadioButtonsExcludeEachOtherWithinTheirGroupOnly) {
    const DialogTemplate dialog = ReadDialog(kOptions);
    QWidget parent;
    std::vector<BuiltControl> controls;
    std::string error;
    ASSERT_TRUE(BuildDialogControls(dialog, &parent, MapUnits, controls, error)) << error;
    auto* fast = qobject_cast<QRadioButton*>(Control(controls, 1010));
    auto* safe = qobject_cast<QRadioButton*>(Control(controls, 1011));
    auto* other = qobject_cast<QRadioButton*>(Control(controls, 1012));
    fast->click();
    other->click();
    EXPECT_TRUE(fast->isChecked());  // another group
    safe->click();
    EXPECT_FALSE(fast->isChecked());
    EXPECT_TRUE(safe->isChecked());
    EXPECT_TRUE(other->isChecked());
}

TEST(DialogBuilder, TabGoesThroughTheTabStopsInTemplateOrder) {
    const DialogTemplate dialog = ReadDialog(kOptions);
    QWidget parent;
    std::vector<BuiltControl> controls;
    std::string error;
    ASSERT_TRUE(BuildDialogControls(dialog, &parent, MapUnits, controls, error)) << error;
    // Without the tab-stop flag a control can be clicked into, not tabbed into.
    EXPECT_FALSE(Control(controls, 1011)->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(Control(controls, 1011)->focusPolicy() & Qt::ClickFocus);
    EXPECT_EQ(Control(controls, 1001)->focusPolicy(), Qt::StrongFocus);
    for (std::size_t i = 0; i + 1 < controls.size(); ++i) {
        EXPECT_EQ(NextControl(controls, controls[i].widget), controls[i + 1].widget) << controls[i].id;
    }
}

TEST(DialogBuilder, CustomClassesAreMadeByTheirRegisteredFactory) {
    const DialogTemplate dialog = ReadDialog(
        "dialog 5 \"Grid\" 100 60\n  static -1 \"Rows:\" 2 2 40 8\n  grid 1000 \"\" 4 12 90 40 tabstop border\nend");
    {
        QWidget parent;
        std::vector<BuiltControl> controls;
        std::string error;
        EXPECT_FALSE(BuildDialogControls(dialog, &parent, MapUnits, controls, error));
        EXPECT_EQ(error, "dialog 5: no factory for control class 'grid'");
        EXPECT_TRUE(parent.findChildren<QWidget*>().isEmpty());  // nothing is left behind
    }
    std::vector<std::int32_t> made;
    RegisterControlClass("grid", [&](const DialogControl& c, QWidget* parent) {
        made.push_back(c.id);
        return new QTreeWidget(parent);
    });
    QWidget parent;
    std::vector<BuiltControl> controls;
    std::string error;
    ASSERT_TRUE(BuildDialogControls(dialog, &parent, MapUnits, controls, error)) << error;
    EXPECT_EQ(made, std::vector<std::int32_t>{1000});
    QWidget* grid = Control(controls, 1000);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->geometry(), Map(QRect(4, 12, 90, 40)));
    EXPECT_EQ(ControlId(grid), 1000);

    RegisterControlClass("grid", [](const DialogControl&, QWidget*) { return nullptr; });
    EXPECT_FALSE(BuildDialogControls(dialog, &parent, MapUnits, controls, error));
    EXPECT_EQ(error, "dialog 5: the factory of control class 'grid' made no control 1000");
    RegisterControlClass("grid", nullptr);
}

TEST(DialogBuilder, AMissingStringGivesAnEmptyText) {
    const DialogTemplate dialog = ReadDialog("dialog 5 @64999 100 60\n  button 1 @64998 2 2 50 14\nend");
    QWidget parent;
    std::vector<BuiltControl> controls;
    std::string error;
    ASSERT_TRUE(BuildDialogControls(dialog, &parent, MapUnits, controls, error)) << error;
    EXPECT_EQ(qobject_cast<QPushButton*>(controls.at(0).widget)->text(), "");
    EXPECT_TRUE(dialog.caption.Resolve().IsEmpty());
}

TEST(DialogBuilder, ScreenshotOfADialogFromATemplate) {
    const DialogTemplate dialog = ReadDialog(kOptions);
    QWidget window;
    window.setWindowTitle(ToQString(dialog.caption.Resolve()));
    window.resize(Map(QRect(0, 0, dialog.width, dialog.height)).size());
    std::vector<BuiltControl> controls;
    std::string error;
    ASSERT_TRUE(BuildDialogControls(dialog, &window, MapUnits, controls, error)) << error;
    qobject_cast<QListWidget*>(Control(controls, 1030))->addItems({"left", "right", "both"});
    qobject_cast<QComboBox*>(Control(controls, 1032))->addItem("Binary");
    qobject_cast<QProgressBar*>(Control(controls, 1040))->setValue(60);
    auto* tree = qobject_cast<QTreeWidget*>(Control(controls, 1050));
    auto* root = new QTreeWidgetItem(tree, QStringList{"Profiles"});
    new QTreeWidgetItem(root, QStringList{"Photos"});
    root->setExpanded(true);
    qobject_cast<QRadioButton*>(Control(controls, 1010))->setChecked(true);
    qobject_cast<QRadioButton*>(Control(controls, 1012))->setChecked(true);
    EXPECT_TRUE(SaveScreenshot(window, "dialog_from_template"));
}

// Dialogs of a template id, through the builder the application installs: the template
// comes from the installed language's resources here (the built-in set has no dialogs yet).
class TemplateDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        auto language = std::make_shared<ResourceSet>();
        std::string error;
        ASSERT_TRUE(language->Parse(R"txt(1001	"Synchronize"
dialog 400 @1001 180 70
    style sysmenu
    static -1 "Copy ..." 7 7 166 8
    static 1012 "From:" 7 19 166 8
    progress 1008 "" 7 31 166 8
    button 3 "&Background" 68 49 50 14 tabstop
    button 2 "&Cancel" 123 49 50 14 default tabstop
end
dialog 401 "Sizes" 100 40
    font "DejaVu Sans" 12 bold
    style resizable minimizebox
    button 1 "OK" 4 4 40 14
end
dialog 402 "Grid" 100 40
    grid 1000 "" 0 0 100 40
end
)txt",
                                    "language.txt", nullptr, error))
            << error;
        SetLanguageResources(language);
        InstallDialogTemplateBuilder();
    }
    void TearDown() override {
        Dialog::SetTemplateBuilder(nullptr);
        SetLanguageResources(nullptr);
    }
};

TEST_F(TemplateDialogs, ADialogIsBuiltFromItsTemplateWithControlsAtTheirMappedPlaces) {
    ScriptedPromptRunner prompts;
    prompts.Inspect([](const PromptRequest& request, PromptHost& host) {
        auto& dialog = *static_cast<Dialog*>(host.Widget());
        EXPECT_EQ(request.dialogId, 400u);
        EXPECT_EQ(dialog.windowTitle(), "Synchronize");
        EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        auto mapped = [&](Rect r) {
            dialog.MapDialogRect(r);
            return ToQRect(r);
        };
        EXPECT_EQ(dialog.size(), mapped(Rect(0, 0, 180, 70)).size());
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());  // not resizable
        const struct {
            int id;
            Rect units;
        } placed[] = {
            {1012, {7, 19, 173, 27}}, {1008, {7, 31, 173, 39}}, {3, {68, 49, 118, 63}}, {2, {123, 49, 173, 63}}};
        for (const auto& p : placed) {
            QWidget* control = dialog.GetDlgItem(p.id);
            ASSERT_NE(control, nullptr) << p.id;
            EXPECT_EQ(control->geometry(), mapped(p.units)) << p.id;
        }
        EXPECT_EQ(qobject_cast<QLabel*>(dialog.GetDlgItem(1012))->text(), "From:");
        EXPECT_EQ(dialog.GetDefID(), IDCANCEL);  // the button with the default flag
        qobject_cast<QProgressBar*>(dialog.GetDlgItem(1008))->setValue(40);
        EXPECT_TRUE(SaveScreenshot(dialog, "template_dialog"));
        // Enter with no button focused presses the default button, which ends the dialog.
        if (QWidget* focused = dialog.focusWidget()) focused->clearFocus();
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    Dialog dialog(nullptr, 400);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(TemplateDialogs, TheTemplatesFontSizesTheDialogUnitsAndResizableKeepsItResizable) {
    Dialog dialog(nullptr, 401);
    ASSERT_TRUE(dialog.CreateDialogWindow());
    EXPECT_EQ(dialog.DialogFont().family(), "DejaVu Sans");
    EXPECT_EQ(dialog.DialogFont().pointSize(), 12);
    EXPECT_TRUE(dialog.DialogFont().bold());
    Rect r(0, 0, 100, 40);
    dialog.MapDialogRect(r);
    EXPECT_EQ(dialog.size(), ToQSize(r.GetSize()));
    EXPECT_NE(dialog.maximumSize(), dialog.minimumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);  // no sysmenu style
    // Larger than with the program's 9-point font.
    Dialog plain;
    Rect small(0, 0, 100, 40);
    plain.MapDialogRect(small);
    EXPECT_GT(r.Width(), small.Width());
}

TEST_F(TemplateDialogs, AMissingTemplateOrAnUnknownCustomClassFailsTheDialog) {
    for (std::uint32_t id : {499u, 402u}) {
        Dialog dialog(nullptr, id);
        EXPECT_EQ(dialog.RunModal(), -1) << id;
        EXPECT_FALSE(dialog.isVisible()) << id;
        EXPECT_TRUE(dialog.findChildren<QWidget*>().isEmpty()) << id;
    }
}

}  // namespace
