#include "resources/resource_set.h"

#include <mutex>

#include "resources/embedded_resources.h"
#include "resources/resource_reader.h"

// Reads one text into a fresh set and merges it into the target only when all of it
// read, so a failed parse leaves the target as it was. Ids are checked against both.
class ResourceSetReader {
public:
    ResourceSetReader(const ResourceSet& target, resread::Context& context) : target_(target), context_(context) {}

    bool Read() {
        resread::Line line;
        while (context_.lines.NextRaw(line)) {
            if (!ReadLine(line)) return false;
        }
        return true;
    }

    void MergeInto(ResourceSet& target) {
        for (auto& [id, text] : add_.strings_.Entries()) target.strings_.Insert(id, text);
        target.dialogs_.merge(add_.dialogs_);
        target.menus_.merge(add_.menus_);
        target.accelerators_.merge(add_.accelerators_);
        target.icons_.merge(add_.icons_);
        target.bitmaps_.merge(add_.bitmaps_);
        target.animations_.merge(add_.animations_);
        target.toolbars_.merge(add_.toolbars_);
        if (add_.version_) target.version_ = std::move(add_.version_);
    }

private:
    bool ReadLine(resread::Line& line) {
        std::size_t first = 0;
        while (first < line.raw.size() && restext::IsBlank(line.raw[first])) ++first;
        if (line.raw[first] >= '0' && line.raw[first] <= '9') return ReadString(line, line.raw.substr(first));
        if (!resread::Tokenize(line, context_.failure)) return false;
        const std::string_view keyword = line.Keyword();
        if (keyword == "dialog") return ReadKind(line, &ResourceSet::dialogs_, resread::ReadDialogBlock, "dialog");
        if (keyword == "menu") return ReadKind(line, &ResourceSet::menus_, resread::ReadMenuBlock, "menu");
        if (keyword == "accelerators") {
            return ReadKind(line, &ResourceSet::accelerators_, resread::ReadAcceleratorBlock, "accelerator table");
        }
        if (keyword == "toolbar") return ReadKind(line, &ResourceSet::toolbars_, resread::ReadToolbarBlock, "toolbar");
        if (keyword == "icon") return ReadKind(line, &ResourceSet::icons_, resread::ReadIconLine, "icon");
        if (keyword == "bitmap") return ReadKind(line, &ResourceSet::bitmaps_, resread::ReadBitmapLine, "bitmap");
        if (keyword == "animation") {
            return ReadKind(line, &ResourceSet::animations_, resread::ReadAnimationLine, "animation");
        }
        if (keyword == "version") {
            if (target_.version_ || add_.version_) {
                return resread::Fail(context_, line.number, "the version block is given twice");
            }
            VersionBlock version;
            if (!resread::ReadVersionBlock(line, context_, version)) return false;
            add_.version_ = std::move(version);
            return true;
        }
        if (keyword.empty()) {
            return resread::Fail(context_, line.number, "the line does not begin with a keyword or a string id");
        }
        return resread::Fail(context_, line.number, "unknown keyword '" + std::string(keyword) + "'");
    }

    bool ReadString(const resread::Line& line, std::string_view text) {
        if (restext::HasInvalidUtf8(text)) return resread::Fail(context_, line.number, "the line is not valid UTF-8");
        std::uint32_t id = 0;
        std::u16string value;
        std::string reason = restext::ReadStringLine(text, id, value);
        if (!reason.empty()) return resread::Fail(context_, line.number, std::move(reason));
        if (target_.strings_.Find(id) || !add_.strings_.Insert(id, std::move(value))) {
            return resread::Fail(context_, line.number, "id " + std::to_string(id) + " is given twice");
        }
        return true;
    }

    template <typename T, typename ReadFn>
    bool ReadKind(const resread::Line& line, std::map<std::uint32_t, T> ResourceSet::*map, ReadFn read,
                  const char* kind) {
        T value;
        if (!read(line, context_, value)) return false;
        const std::uint32_t id = value.id;
        if ((target_.*map).count(id) || !(add_.*map).emplace(id, std::move(value)).second) {
            return resread::Fail(context_, line.number,
                                 std::string(kind) + " " + std::to_string(id) + " is given twice");
        }
        return true;
    }

    const ResourceSet& target_;
    resread::Context& context_;
    ResourceSet add_;
};

bool ResourceSet::Parse(std::string_view text, std::string_view fileName, const FileLookup& files, std::string& error) {
    resread::LineSource lines(text);
    resread::Failure failure;
    resread::Context context{lines, files, failure};
    ResourceSetReader reader(*this, context);
    if (!reader.Read()) {
        error = (fileName.empty() ? std::string() : std::string(fileName) + ": ") + "line " +
                std::to_string(failure.line) + ": " + failure.reason;
        return false;
    }
    reader.MergeInto(*this);
    error.clear();
    return true;
}

bool ParseBuiltinResources(ResourceSet& out, std::string& error) {
    const ResourceSet::FileLookup files = [](std::string_view name) -> std::optional<std::string_view> {
        for (std::size_t i = 0; i < kEmbeddedImageCount; ++i) {
            if (kEmbeddedImages[i].name == name)
                return std::string_view(kEmbeddedImages[i].data, kEmbeddedImages[i].size);
        }
        return std::nullopt;
    };
    for (std::size_t i = 0; i < kEmbeddedTextCount; ++i) {
        const EmbeddedFile& text = kEmbeddedTexts[i];
        if (!out.Parse(std::string_view(text.data, text.size), text.name, files, error)) return false;
    }
    return true;
}

const ResourceSet& BuiltinResources() {
    static const ResourceSet set = [] {
        ResourceSet s;
        std::string error;
        ParseBuiltinResources(s, error);
        return s;
    }();
    return set;
}

namespace {

std::mutex g_languageMutex;
std::shared_ptr<const ResourceSet> g_language;

template <typename T>
const T* FindIn(const ResourceSet& set, std::uint32_t id);
template <>
const DialogTemplate* FindIn(const ResourceSet& set, std::uint32_t id) {
    return set.FindDialog(id);
}
template <>
const Menu* FindIn(const ResourceSet& set, std::uint32_t id) {
    return set.FindMenu(id);
}
template <>
const AcceleratorTable* FindIn(const ResourceSet& set, std::uint32_t id) {
    return set.FindAccelerators(id);
}
template <>
const Icon* FindIn(const ResourceSet& set, std::uint32_t id) {
    return set.FindIcon(id);
}
template <>
const Bitmap* FindIn(const ResourceSet& set, std::uint32_t id) {
    return set.FindBitmap(id);
}
template <>
const Animation* FindIn(const ResourceSet& set, std::uint32_t id) {
    return set.FindAnimation(id);
}
template <>
const Toolbar* FindIn(const ResourceSet& set, std::uint32_t id) {
    return set.FindToolbar(id);
}

}  // namespace

void SetLanguageResources(std::shared_ptr<const ResourceSet> resources) {
    std::lock_guard lock(g_languageMutex);
    g_language = std::move(resources);
}

std::shared_ptr<const ResourceSet> LanguageResources() {
    std::lock_guard lock(g_languageMutex);
    return g_language;
}

template <typename T>
std::shared_ptr<const T> FindResource(std::uint32_t id) {
    if (std::shared_ptr<const ResourceSet> language = LanguageResources()) {
        if (const T* found = FindIn<T>(*language, id)) return std::shared_ptr<const T>(language, found);
    }
    // The built-in set lives as long as the program: a pointer that owns nothing.
    const T* found = FindIn<T>(BuiltinResources(), id);
    return found ? std::shared_ptr<const T>(std::shared_ptr<const T>(), found) : nullptr;
}

template std::shared_ptr<const DialogTemplate> FindResource(std::uint32_t);
template std::shared_ptr<const Menu> FindResource(std::uint32_t);
template std::shared_ptr<const AcceleratorTable> FindResource(std::uint32_t);
template std::shared_ptr<const Icon> FindResource(std::uint32_t);
template std::shared_ptr<const Bitmap> FindResource(std::uint32_t);
template std::shared_ptr<const Animation> FindResource(std::uint32_t);
template std::shared_ptr<const Toolbar> FindResource(std::uint32_t);

const VersionBlock* ProgramVersionBlock() { return BuiltinResources().Version(); }
