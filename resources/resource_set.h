#pragma once
// A set of resources: the string table, dialogs, menus, accelerators, icons, bitmaps,
// animations, toolbars and the version block, each kind addressed by id.
//
// The program's own set (BuiltinResources) is read at first use from the resource texts
// of resources/ that CMake embeds as bytes, with the PNG files they name. A language
// file is one resource text of the same format; installed with SetLanguageResources,
// its resources are found before the built-in ones (FindResource, LoadString).
//
// The format (docs/ARCHITECTURE.md, "Resources") is read line by line: a line that
// begins with a digit is a string-table entry; any other line begins with a keyword
// (dialog, menu, accelerators, toolbar, version: blocks up to "end"; icon, bitmap,
// animation: one line). Every failure names its line.
//
// Threads: a ResourceSet is a plain value, safe to read from any thread. The functions
// below may be called from any thread; installing a language set while other threads
// find resources is safe (they see the old or the new set).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "resources/dialog_template.h"
#include "resources/image_resources.h"
#include "resources/menu_resource.h"
#include "resources/string_table.h"
#include "resources/version_block.h"

class ResourceSet {
public:
    // Gives the bytes of a file that a resource text names (an image), or nothing.
    using FileLookup = std::function<std::optional<std::string_view>(std::string_view name)>;

    // Reads one resource text (UTF-8) into the set, adding to what it holds. fileName
    // names the text in errors ("strings.txt: line 3: reason"; without a name "line 3:
    // reason"). Image files are taken from files. All or nothing: on the first failure
    // the set is left as it was and the result is false with error set.
    bool Parse(std::string_view text, std::string_view fileName, const FileLookup& files, std::string& error);

    const StringTable& Strings() const { return strings_; }
    const DialogTemplate* FindDialog(std::uint32_t id) const { return Find(dialogs_, id); }
    const Menu* FindMenu(std::uint32_t id) const { return Find(menus_, id); }
    const AcceleratorTable* FindAccelerators(std::uint32_t id) const { return Find(accelerators_, id); }
    const Icon* FindIcon(std::uint32_t id) const { return Find(icons_, id); }
    const Bitmap* FindBitmap(std::uint32_t id) const { return Find(bitmaps_, id); }
    const Animation* FindAnimation(std::uint32_t id) const { return Find(animations_, id); }
    const Toolbar* FindToolbar(std::uint32_t id) const { return Find(toolbars_, id); }
    // Null when the set has no version block.
    const VersionBlock* Version() const { return version_ ? &*version_ : nullptr; }

    const std::map<std::uint32_t, DialogTemplate>& Dialogs() const { return dialogs_; }
    const std::map<std::uint32_t, Icon>& Icons() const { return icons_; }

private:
    friend class ResourceSetReader;

    template <typename T>
    static const T* Find(const std::map<std::uint32_t, T>& map, std::uint32_t id) {
        auto it = map.find(id);
        return it == map.end() ? nullptr : &it->second;
    }

    StringTable strings_;
    std::map<std::uint32_t, DialogTemplate> dialogs_;
    std::map<std::uint32_t, Menu> menus_;
    std::map<std::uint32_t, AcceleratorTable> accelerators_;
    std::map<std::uint32_t, Icon> icons_;
    std::map<std::uint32_t, Bitmap> bitmaps_;
    std::map<std::uint32_t, Animation> animations_;
    std::map<std::uint32_t, Toolbar> toolbars_;
    std::optional<VersionBlock> version_;
};

// Reads the program's embedded resource texts into out, in the order CMake lists them.
// False with error set when one does not read (a test rules that out for the build).
bool ParseBuiltinResources(ResourceSet& out, std::string& error);
// The program's own resources (empty but for what read, if a text were malformed).
const ResourceSet& BuiltinResources();
// Installs a language's resources over the built-in ones; null goes back to built-in only.
void SetLanguageResources(std::shared_ptr<const ResourceSet> resources);
// The installed language set, or null.
std::shared_ptr<const ResourceSet> LanguageResources();

// The resource of that kind and id: the language set's when it has one, else the built-in
// one, else null. The pointer keeps its set alive. T is one of DialogTemplate, Menu,
// AcceleratorTable, Icon, Bitmap, Animation, Toolbar.
template <typename T>
std::shared_ptr<const T> FindResource(std::uint32_t id);

// The program's version block (built in; a language file's block is not the program's).
// Null only if the embedded texts lacked one, which a test rules out.
const VersionBlock* ProgramVersionBlock();
