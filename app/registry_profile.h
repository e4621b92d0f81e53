#pragma once
// The application's settings in the settings store: named values in sections below the
// program's key "Software\Quillon\Wendelkast\V8.00", read and written as numbers, texts
// and bytes. A section is a '\'-separated key path below the program's key ("Settings",
// "Appearance\MainWnd").
//
// OpenApplicationSettings opens the per-user store and logs what opening found (a damaged
// file moved aside, a newer or read-only file, a busy file, no file at all);
// SettingsStatusText gives the same as a message for the user.
//
// Ownership: a RegistryProfile uses a store it does not own, which must outlive it.
// Threads: as the store's (any thread). Errors: readers fall back to the caller's default,
// writers return false with the store's Win32 code as the last error; nothing throws
// except std::bad_alloc.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/core/cstring.h"
#include "platform/core/settings_store.h"

class CLogger;

// The program's key below the root of the store.
inline constexpr char16_t kApplicationKey[] = u"Software\\Quillon\\Wendelkast\\V8.00";

class RegistryProfile {
public:
    explicit RegistryProfile(plat::SettingsStore& store) : store_(store) {}

    // A 32-bit number value; def when the value is missing or of another type.
    int GetProfileInt(std::u16string_view section, std::u16string_view entry, int def) const;
    // A string value; def when the value is missing or of another type.
    CString GetProfileString(std::u16string_view section, std::u16string_view entry,
                             std::u16string_view def = {}) const;
    // A binary value's bytes; false (data emptied) when it is missing or of another type.
    bool GetProfileBinary(std::u16string_view section, std::u16string_view entry,
                          std::vector<std::uint8_t>& data) const;

    // Each makes the section when it is missing; false when the store refuses.
    bool WriteProfileInt(std::u16string_view section, std::u16string_view entry, int value);
    bool WriteProfileString(std::u16string_view section, std::u16string_view entry, std::u16string_view value);
    bool WriteProfileBinary(std::u16string_view section, std::u16string_view entry, const void* data, std::size_t size);

    plat::SettingsStore& Store() const { return store_; }

private:
    bool Query(std::u16string_view section, std::u16string_view entry, plat::SettingsValue& value) const;
    bool Write(std::u16string_view section, std::u16string_view entry, const plat::SettingsValue& value);

    plat::SettingsStore& store_;
};

// Opens the per-user settings store (plat::SettingsStore::DefaultPath) and, unless it was
// opened or made normally, logs a warning that names the file (logger may be null).
std::unique_ptr<plat::SettingsStore> OpenApplicationSettings(CLogger* logger, plat::SettingsOpenStatus& status);
// The message that tells the user what opening the store found, the file's path on its
// own line; empty when the store was opened or made normally.
CString SettingsStatusText(const plat::SettingsOpenStatus& status);
