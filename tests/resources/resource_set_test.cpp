#include "resources/resource_set.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// The first bytes of a PNG file of that size: all the reader looks at.
std::string PngHeader(int width, int height) {
    std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (int v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(char((v >> shift) & 0xFF));
    }
    png += std::string("\x08\x06\0\0\0", 5);
    return png;
}

// Image files of a test text by name.
struct Files {
    std::map<std::string, std::string> bytes = {
        {"i16.png", PngHeader(16, 16)},    {"i32.png", PngHeader(32, 32)}, {"strip.png", PngHeader(48, 16)},
        {"frames.png", PngHeader(96, 24)}, {"odd.png", PngHeader(50, 16)}, {"text.png", "not a picture at all, no"},
    };
    ResourceSet::FileLookup Lookup() const {
        return [this](std::string_view name) -> std::optional<std::string_view> {
            auto it = bytes.find(std::string(name));
            if (it == bytes.end()) return std::nullopt;
            return std::string_view(it->second);
        };
    }
};

const char kEveryKind[] = R"txt(# one resource of every kind
1001	"Synchronize"
dialog 141 @1001 200 80
    font "DejaVu Sans" 9 bold
    style sysmenu resizable
    static -1 "From:" 7 10 30 8 right
    edit 1002 "" 40 8 150 12 tabstop autohscroll readonly
    button 1 "&OK" 90 60 50 14 default tabstop group
    check 1003 "&Keep" 7 30 60 10 threestate
    radio 1004 "&One" 7 42 40 10 group
    group -1 "Options" 2 2 196 50
    listbox 1005 "" 7 55 40 20 sort extended
    combobox 1006 "" 50 55 40 40 droplist
    progress 1008 "" 7 70 100 8 smooth
    animation 1009 "" 110 70 32 8 center transparent
    tree 1010 "" 150 70 40 8 hasbuttons haslines linesatroot
    grid 1000 "" 0 0 10 10 border
end
menu 129
    popup "&File"
        item 57600 "&New\tCtrl+N"
        separator
        popup "&Recent"
            item 57616 "(none)" grayed
        end
    end
    item 57664 @57664 checked radio
end
accelerators 128
    Ctrl+N 57600
    Ctrl+Shift+F5 32845
    Alt+0 59397
    Delete 32846
end
icon 178 "i16.png" "i32.png"
bitmap 183 "strip.png" width 16
bitmap 184 "strip.png"
animation 134 "frames.png" frame-width 24 rate 10
toolbar 128 "strip.png" width 16
    button 57600
    separator
    button 57603
end
version
    file-version 8.0.1.2
    product-version 8.0.0.0
    file-flags prerelease
    file-type library
    strings 040904B0
        InternalName "Wendelkast"
        ProductVersion "8.0.0"
    end
    translation 0x0409 1200
end
)txt";

TEST(ResourceSet, ReadsEveryKind) {
    Files files;
    ResourceSet set;
    std::string error;
    ASSERT_TRUE(set.Parse(kEveryKind, "every.txt", files.Lookup(), error)) << error;

    const DialogTemplate* dialog = set.FindDialog(141);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->caption.fromTable);
    EXPECT_EQ(dialog->caption.stringId, 1001u);
    EXPECT_EQ(dialog->width, 200);
    EXPECT_EQ(dialog->height, 80);
    EXPECT_EQ(dialog->font, (DialogFont{u"DejaVu Sans", 9, true, false}));
    EXPECT_EQ(dialog->style, std::uint32_t(kDlgSysMenu | kDlgResizable));
    ASSERT_EQ(dialog->controls.size(), 12u);
    const struct {
        std::int32_t id;
        ControlClass kind;
        const char* word;
        int x, y, width, height;
        std::uint64_t style;
    } controls[] = {
        {-1, ControlClass::Static, "static", 7, 10, 30, 8, kCtlRight},
        {1002, ControlClass::Edit, "edit", 40, 8, 150, 12, kCtlTabStop | kCtlAutoHScroll | kCtlReadOnly},
        {1, ControlClass::Button, "button", 90, 60, 50, 14, kCtlDefault | kCtlTabStop | kCtlGroup},
        {1003, ControlClass::Check, "check", 7, 30, 60, 10, kCtlThreeState},
        {1004, ControlClass::Radio, "radio", 7, 42, 40, 10, kCtlGroup},
        {-1, ControlClass::Group, "group", 2, 2, 196, 50, 0},
        {1005, ControlClass::ListBox, "listbox", 7, 55, 40, 20, kCtlSort | kCtlExtendedSelection},
        {1006, ControlClass::ComboBox, "combobox", 50, 55, 40, 40, kCtlDropList},
        {1008, ControlClass::Progress, "progress", 7, 70, 100, 8, kCtlSmooth},
        {1009, ControlClass::Animation, "animation", 110, 70, 32, 8, kCtlCenter | kCtlTransparent},
        {1010, ControlClass::Tree, "tree", 150, 70, 40, 8, kCtlHasButtons | kCtlHasLines | kCtlLinesAtRoot},
        {1000, ControlClass::Custom, "grid", 0, 0, 10, 10, kCtlBorder},
    };
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        const DialogControl& c = dialog->controls[i];
        const auto& want = controls[i];
        EXPECT_EQ(c.id, want.id) << i;
        EXPECT_EQ(c.kind, want.kind) << i;
        EXPECT_EQ(ControlClassWord(c), want.word) << i;
        EXPECT_EQ((std::array{c.x, c.y, c.width, c.height}), (std::array{want.x, want.y, want.width, want.height}))
            << i;
        EXPECT_EQ(c.style, want.style) << i;
    }
    EXPECT_EQ(dialog->FindControl(1)->text.literal, u"&OK");
    EXPECT_EQ(dialog->FindControl(4711), nullptr);

    const Menu* menu = set.FindMenu(129);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->items.size(), 2u);
    const MenuItem& file = menu->items[0];
    EXPECT_EQ(file.kind, MenuItem::Kind::Popup);
    ASSERT_EQ(file.items.size(), 3u);
    EXPECT_EQ(file.items[0].text.literal, u"&New\tCtrl+N");
    EXPECT_EQ(file.items[1].kind, MenuItem::Kind::Separator);
    EXPECT_EQ(file.items[2].items.at(0).command, 57616u);
    EXPECT_TRUE(file.items[2].items.at(0).Has(kMenuGrayed));
    EXPECT_EQ(menu->items[1].flags, std::uint32_t(kMenuChecked | kMenuRadio));
    EXPECT_EQ(menu->FindCommand(57616), &file.items[2].items[0]);
    EXPECT_EQ(menu->FindCommand(1), nullptr);

    const AcceleratorTable* keys = set.FindAccelerators(128);
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->Find('N', kAccelCtrl), 57600u);
    EXPECT_EQ(keys->Find(0x74, kAccelCtrl | kAccelShift), 32845u);  // F5
    EXPECT_EQ(keys->Find('0', kAccelAlt), 59397u);
    EXPECT_EQ(keys->Find(0x2E, 0), 32846u);  // Delete
    EXPECT_EQ(keys->Find('N', 0), 0u);

    const Icon* icon = set.FindIcon(178);
    ASSERT_NE(icon, nullptr);
    ASSERT_EQ(icon->sizes.size(), 2u);
    EXPECT_EQ(icon->Nearest(32)->file, "i32.png");
    EXPECT_EQ(icon->Nearest(20)->file, "i16.png");
    EXPECT_EQ(icon->Nearest(48)->bytes, files.bytes["i32.png"]);
    EXPECT_EQ(set.FindBitmap(183)->Count(), 3);
    EXPECT_EQ(set.FindBitmap(184)->Count(), 1);  // no width: one image
    const Animation* animation = set.FindAnimation(134);
    EXPECT_EQ(animation->FrameCount(), 4);
    EXPECT_EQ(animation->framesPerSecond, 10);
    const Toolbar* toolbar = set.FindToolbar(128);
    EXPECT_EQ(toolbar->commands, (std::vector<std::uint32_t>{57600, Toolbar::kSeparator, 57603}));

    const VersionBlock* version = set.Version();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->fileVersion, (std::array<std::uint16_t, 4>{8, 0, 1, 2}));
    EXPECT_EQ(version->fileFlags, std::uint32_t(kVerPrerelease));
    EXPECT_EQ(version->fileType, std::uint32_t(kVerTypeLibrary));
    ASSERT_NE(version->FindString("040904b0", "internalname"), nullptr);  // case does not matter
    EXPECT_EQ(*version->FindString("040904B0", "InternalName"), u"Wendelkast");
    EXPECT_EQ(version->FindString("040704b0", "InternalName"), nullptr);
    EXPECT_EQ(version->translations, (std::vector<VersionBlock::Translation>{{0x0409, 1200}}));
}

TEST(ResourceSet, RefusesBadTextsNamingTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        // keywords and fields
        {"# c\nwindow 1", "line 2: unknown keyword 'window'"},
        {"\"x\"", "line 1: the line does not begin with a keyword or a string id"},
        {"icon", "line 1: missing icon id"},
        {"dialog 5 \"x\" 10", "line 1: missing height"},
        {"dialog 5 \"x\" 10 ten\nend", "line 1: bad number 'ten' for height"},
        {"dialog 5 \"x\" 10 0x\nend", "line 1: bad number '0x' for height"},
        {"dialog 0 \"x\" 10 10\nend", "line 1: dialog id 0 is out of range (1 to 65535)"},
        {"dialog 70000 \"x\" 10 10\nend", "line 1: dialog id 70000 is out of range (1 to 65535)"},
        {"dialog 5 x 10 10\nend", "line 1: caption must be a quoted text or @ and a string id, not 'x'"},
        {"dialog 5 \"x\" 10 10 extra\nend", "line 1: unexpected 'extra'"},
        {"dialog 5 \"x\" 10 10\n  button 1 \"OK\" 1 2 3\nend", "line 2: missing height"},
        {"dialog 5 \"x\" 10 10\n  button -2 \"OK\" 1 2 3 4\nend",
         "line 2: control id -2 is out of range (-1 to 65535)"},
        // classes and styles
        {"dialog 5 \"x\" 10 10\n\n  slider 3 \"\" 1 2 3 4\nend", "line 3: unknown control class 'slider'"},
        {"dialog 5 \"x\" 10 10\n  edit 3 \"\" 1 2 3 4 default\nend",
         "line 2: unknown style 'default' for class 'edit'"},
        {"dialog 5 \"x\" 10 10\n  style modal\nend", "line 2: unknown dialog style 'modal'"},
        {"dialog 5 \"x\" 10 10\n  font \"A\" 8\n  font \"B\" 8\nend", "line 3: the font of dialog 5 is given twice"},
        // duplicates
        {"dialog 5 \"x\" 10 10\nend\ndialog 5 \"y\" 10 10\nend", "line 3: dialog 5 is given twice"},
        {"dialog 5 \"x\" 10 10\n button 7 \"a\" 0 0 1 1\n button 7 \"b\" 0 0 1 1\nend",
         "line 3: control id 7 is given twice in dialog 5"},
        {"1\t\"a\"\n1\t\"b\"", "line 2: id 1 is given twice"},
        {"accelerators 1\n Ctrl+A 5\n Ctrl+A 6\nend", "line 3: the key Ctrl+A is given twice in accelerator table 1"},
        {"version\n file-version 1.0.0.0\n product-version 1.0.0.0\nend\nversion\nend",
         "line 5: the version block is given twice"},
        // quoted texts
        {"dialog 5 \"x 10 10\nend", "line 1: the text has no closing double quote"},
        {"dialog 5 \"x\"10 10\nend", "line 1: no blank after the closing double quote"},
        {"menu 1\n  item 2 \"a\\q\"\nend", "line 2: unknown escape \\q"},
        {"menu 1\n  item 2 \"\xC3\"\nend", "line 2: the line is not valid UTF-8"},
        // blocks
        {"dialog 5 \"x\" 10 10\n  button 1 \"OK\" 1 2 3 4", "line 1: dialog 5 has no end"},
        // The one "end" closes the popup: indentation means nothing.
        {"menu 1\n  popup \"a\"\n    item 2 \"b\"\nend", "line 1: menu 1 has no end"},
        {"menu 1\n  command 2 \"b\"\nend", "line 2: unknown keyword 'command' in menu 1"},
        {"menu 1\n  item 2 \"b\" bold\nend", "line 2: unknown menu flag 'bold'"},
        {"accelerators 1\n Ctrl+Meta+A 5\nend", "line 2: unknown key modifier 'Meta'"},
        {"accelerators 1\n Ctrl+F25 5\nend", "line 2: unknown key 'F25'"},
        {"accelerators 1\n Ctrl+a 5\nend", "line 2: unknown key 'a'"},
        // images
        {"icon 1 \"none.png\"", "line 1: image file 'none.png' not found"},
        {"icon 1 \"text.png\"", "line 1: image file 'text.png' is not a PNG image"},
        {"bitmap 1 \"odd.png\" width 16", "line 1: the width 50 of 'odd.png' is not a multiple of the image width 16"},
        {"animation 1 \"frames.png\" rate 10", "line 1: missing frame-width"},
        {"animation 1 \"frames.png\" frame-width 24 rate 0", "line 1: rate 0 is out of range (1 to 100)"},
        {"toolbar 1 \"strip.png\" width 16\n button 1\n button 2\n button 3\n button 4\nend",
         "line 1: toolbar 1 has 4 buttons but 3 images"},
        // version block
        {"version\n file-version 8.0.0\nend",
         "line 2: bad file version '8.0.0' (four numbers 0 to 65535 joined by dots)"},
        {"version\n file-version 8.0.0.70000\nend",
         "line 2: bad file version '8.0.0.70000' (four numbers 0 to 65535 joined by dots)"},
        {"version\n file-version 8.0.0.0\nend", "line 1: the version block has no product-version"},
        {"version\n strings 0409\n end\nend", "line 2: bad language and code page '0409' (eight hexadecimal digits)"},
        {"version\n strings 040904b0\n  Name \"a\"\n  name \"b\"\n end\nend",
         "line 4: the key name is given twice in the strings of 040904b0"},
        {"version\n file-type program\nend", "line 2: unknown file type 'program' (application or library)"},
    };
    Files files;
    for (const auto& c : cases) {
        ResourceSet set;
        std::string error;
        EXPECT_FALSE(set.Parse(c.text, "", files.Lookup(), error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(ResourceSet, AFailedTextLeavesTheSetAsItWas) {
    Files files;
    ResourceSet set;
    std::string error;
    ASSERT_TRUE(set.Parse("1\t\"one\"\nicon 5 \"i16.png\"", "first.txt", files.Lookup(), error)) << error;
    // The second text adds a dialog, then fails on an id the first text has.
    EXPECT_FALSE(
        set.Parse("dialog 9 \"x\" 10 10\nend\n2\t\"two\"\nicon 5 \"i32.png\"", "second.txt", files.Lookup(), error));
    EXPECT_EQ(error, "second.txt: line 4: icon 5 is given twice");
    EXPECT_EQ(set.FindDialog(9), nullptr);
    EXPECT_EQ(set.Strings().Find(2), nullptr);
    EXPECT_EQ(set.FindIcon(5)->sizes.at(0).file, "i16.png");
    // A third text that reads is added to the first.
    ASSERT_TRUE(set.Parse("dialog 9 \"x\" 10 10\nend\n2\t\"two\"", "third.txt", files.Lookup(), error)) << error;
    EXPECT_NE(set.FindDialog(9), nullptr);
    EXPECT_EQ(*set.Strings().Find(1), u"one");
}

TEST(ResourceSet, TextsFromTheStringTableAreLookedUpWhenUsed) {
    ResourceSet set;
    std::string error;
    ASSERT_TRUE(set.Parse("dialog 5 @1001 10 10\n  static -1 @64999 0 0 1 1\n  static -1 \"@1001\" 0 0 1 1\nend", "",
                          nullptr, error))
        << error;
    const DialogTemplate* dialog = set.FindDialog(5);
    EXPECT_EQ(dialog->caption.Resolve(), u"Synchronize");
    EXPECT_EQ(dialog->controls[0].text.Resolve(), u"");       // no such string: empty
    EXPECT_EQ(dialog->controls[1].text.Resolve(), u"@1001");  // quoted: as written
}

TEST(ResourceSet, AKeyReadsBackAsItIsWritten) {
    for (const char* key : {"Ctrl+N", "Ctrl+Shift+F5", "Alt+0", "Delete", "Shift+NumAdd", "F12", "Ctrl+Alt+Shift+Z"}) {
        ResourceSet set;
        std::string error;
        ASSERT_TRUE(set.Parse(std::string("accelerators 1\n ") + key + " 100\nend", "", nullptr, error)) << error;
        EXPECT_EQ(KeyText(set.FindAccelerators(1)->entries.at(0)), key);
    }
}

class LanguageResources : public ::testing::Test {
protected:
    void TearDown() override { SetLanguageResources(nullptr); }
};

TEST_F(LanguageResources, AreFoundBeforeTheBuiltInOnes) {
    Files files;
    auto language = std::make_shared<ResourceSet>();
    std::string error;
    ASSERT_TRUE(language->Parse("1001\t\"Synchronisieren\"\ndialog 5 @1001 10 10\nend\nicon 178 \"i16.png\"", "",
                                files.Lookup(), error))
        << error;
    EXPECT_EQ(FindResource<DialogTemplate>(5), nullptr);
    SetLanguageResources(language);
    std::shared_ptr<const DialogTemplate> dialog = FindResource<DialogTemplate>(5);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption.Resolve(), u"Synchronisieren");
    EXPECT_EQ(FindResource<Icon>(178)->sizes.size(), 1u);    // the language's
    EXPECT_EQ(FindResource<Icon>(32513)->sizes.size(), 3u);  // built in
    // A resource found keeps its set alive after the language is gone.
    SetLanguageResources(nullptr);
    language.reset();
    EXPECT_EQ(dialog->id, 5u);
    EXPECT_EQ(FindResource<DialogTemplate>(5), nullptr);
    EXPECT_EQ(FindResource<Icon>(178)->sizes.size(), 3u);
}

TEST(BuiltinResources, TheEmbeddedTextsRead) {
    ResourceSet set;
    std::string error;
    ASSERT_TRUE(ParseBuiltinResources(set, error)) << error;
    EXPECT_EQ(set.Strings().Entries(), BuiltinResources().Strings().Entries());
}

TEST(BuiltinResources, TheProgramsVersionBlock) {
    const VersionBlock* version = ProgramVersionBlock();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->fileType, std::uint32_t(kVerTypeApplication));
    // The block's numbers are the project's version.
    const std::string project = WK_PROJECT_VERSION;
    auto joined = [](const std::array<std::uint16_t, 4>& v, int parts) {
        std::string s;
        for (int i = 0; i < parts; ++i) s += (i ? "." : "") + std::to_string(v[std::size_t(i)]);
        return s;
    };
    EXPECT_EQ(joined(version->fileVersion, 3), project);
    EXPECT_EQ(joined(version->productVersion, 3), project);
    ASSERT_EQ(version->translations.size(), 1u);
    const VersionBlock::Translation t = version->translations[0];
    char key[9];
    std::snprintf(key, sizeof key, "%04x%04x", t.language, t.codePage);
    // The translation table names the language block that holds the texts.
    ASSERT_NE(version->FindString(key, "InternalName"), nullptr) << key;
    EXPECT_EQ(*version->FindString(key, "InternalName"), u"Wendelkast");
    const std::u16string* product = version->FindString(key, "ProductVersion");
    ASSERT_NE(product, nullptr);
    EXPECT_EQ(std::string(product->begin(), product->end()), project);
    const std::u16string* file = version->FindString(key, "FileVersion");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::string(file->begin(), file->end()), joined(version->fileVersion, 4));
}

TEST(BuiltinResources, TheIconsOfTheMessageBoxAndTheProgram) {
    for (std::uint32_t id : {178u, 191u, 32513u, 32514u, 32515u, 32516u}) {
        const Icon* icon = BuiltinResources().FindIcon(id);
        ASSERT_NE(icon, nullptr) << id;
        for (int size : {16, 32, 48}) {
            const PngImage* image = icon->Nearest(size);
            EXPECT_EQ(image->width, size) << id;
            EXPECT_EQ(image->height, size) << id;
        }
    }
}

}  // namespace
