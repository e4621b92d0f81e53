#include "app/registry_profile.h"

#include "engine/log/logger.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace {

CString SectionPath(std::u16string_view section) {
    CString path(kApplicationKey);
    if (!section.empty()) {
        path += u'\\';
        path += section;
    }
    return path;
}

// The string id of the status's message and the path it names; 0 for a normal opening.
std::uint32_t StatusMessage(const plat::SettingsOpenStatus& status, CString& path) {
    using Kind = plat::SettingsOpenStatus;
    path = status.path;
    switch (status.kind) {
        case Kind::Opened:
        case Kind::Created:
            return 0;
        case Kind::Damaged:
            path = status.movedTo;
            return IDS_SETTINGS_DAMAGED;
        case Kind::NewerSchema:
            return IDS_SETTINGS_NEWER;
        case Kind::ReadOnly:
            return IDS_SETTINGS_READ_ONLY;
        case Kind::Busy:
            return IDS_SETTINGS_BUSY;
        case Kind::NotKept:
            return IDS_SETTINGS_NOT_KEPT;
    }
    return IDS_SETTINGS_NOT_KEPT;
}

}  // namespace

bool RegistryProfile::Query(std::u16string_view section, std::u16string_view entry, plat::SettingsValue& value) const {
    plat::SettingsKey key;
    return store_.OpenKey(store_.Root(), SectionPath(section), key) && store_.QueryValue(key, entry, value);
}

bool RegistryProfile::Write(std::u16string_view section, std::u16string_view entry, const plat::SettingsValue& value) {
    plat::SettingsKey key;
    return store_.CreateKey(store_.Root(), SectionPath(section), key) && store_.SetValue(key, entry, value);
}

int RegistryProfile::GetProfileInt(std::u16string_view section, std::u16string_view entry, int def) const {
    plat::SettingsValue value;
    std::uint32_t number = 0;
    if (!Query(section, entry, value) || !plat::ReadDwordValue(value, number)) return def;
    return static_cast<int>(number);
}

CString RegistryProfile::GetProfileString(std::u16string_view section, std::u16string_view entry,
                                          std::u16string_view def) const {
    plat::SettingsValue value;
    CString text;
    if (!Query(section, entry, value) || !plat::ReadStringValue(value, text)) return CString(def);
    return text;
}

bool RegistryProfile::GetProfileBinary(std::u16string_view section, std::u16string_view entry,
                                       std::vector<std::uint8_t>& data) const {
    plat::SettingsValue value;
    data.clear();
    if (!Query(section, entry, value) || value.type != plat::kSettingsBinary) return false;
    data = std::move(value.data);
    return true;
}

bool RegistryProfile::WriteProfileInt(std::u16string_view section, std::u16string_view entry, int value) {
    return Write(section, entry, plat::MakeDwordValue(static_cast<std::uint32_t>(value)));
}

bool RegistryProfile::WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                         std::u16string_view value) {
    return Write(section, entry, plat::MakeStringValue(value));
}

bool RegistryProfile::WriteProfileBinary(std::u16string_view section, std::u16string_view entry, const void* data,
                                         std::size_t size) {
    plat::SettingsValue value;
    value.type = plat::kSettingsBinary;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (size > 0) value.data.assign(bytes, bytes + size);
    return Write(section, entry, value);
}

std::unique_ptr<plat::SettingsStore> OpenApplicationSettings(CLogger* logger, plat::SettingsOpenStatus& status) {
    auto store = plat::SettingsStore::Open(plat::SettingsStore::DefaultPath(), status);
    CString path;
    if (const std::uint32_t id = StatusMessage(status, path); id != 0 && logger) logger->LogWarning(id, path);
    return store;
}

CString SettingsStatusText(const plat::SettingsOpenStatus& status) {
    CString path;
    const std::uint32_t id = StatusMessage(status, path);
    if (id == 0) return {};
    return LoadString(id) + u"\n\n" + path;
}
