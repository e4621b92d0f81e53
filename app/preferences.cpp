// The preference stores: construction, the clamp-and-mark rule, the registry form,
// defaults, dump and copy. The blob form is in preferences_blob.cpp.
#include "app/preferences.h"

#include "app/pre_post_command.h"
#include "app/registry_profile.h"

namespace {

constexpr PreferenceId kAppIds[] = {
    PREF_USER_LEVEL,
    PREF_BATCH_ERROR_REP_RATE,
    PREF_OPEN_PROJECT_USER_SELECT,
    PREF_AMBIGUOUS_IS_NOT_HARMLESS,
    PREF_SHOW_GMT,
    PREF_AUTO_SIZE_CACHE_THRESHOLD,
    PREF_VIEWER,
    PREF_DIFF_VIEWER,
    PREF_DIFF_VIEWER_PARM_TEMPLATE,
    PREF_PREF_TREE_WIDTH,
    PREF_HELP_FILE,
    PREF_LANGUAGE,
    PREF_BALLOON_TRAY_TIPS_TIMEOUT,
    PREF_AUTO_SYNC_ENABLE,
    PREF_AUTO_SYNC_ON_ERROR,
    PREF_AUTO_SYNC_ON_AMBIGUOUS,
    PREF_AUTO_SYNC_ON_PROJECT_OPEN,
    PREF_LOG_FILE_ENABLE,
    PREF_LOG_FILE_TRUNCATE,
    PREF_LOG_FILE_AUTO_SYNC,
    PREF_LOG_FILE_PATH,
    PREF_LOG_FILE_LIMIT,
    PREF_LOG_WINDOW_LIMIT,
    PREF_LOG_SHOW_UTC,
};
constexpr PreferenceId kProfileIds[] = {
    PREF_AUTO_RETRY_DELAY_ON_ERROR, PREF_TEST_PATTERN_COUNT,        PREF_COPY_BUFFER_SIZE,
    PREF_COPY_TRADITIONAL,          PREF_IGNORE_ARCHIVE_BIT,        PREF_AUTO_DST_COMPENSATION,
    PREF_HIDE_HARMLESS_AFTER_SCAN,  PREF_SYNC_IGNORE_ERRORS,        PREF_IGNORE_INACCESSIBLE_DIRS,
    PREF_PRECISION_TIME_STAMP_COMP, PREF_PRECISION_ENTRY_PAIR_COMP,
};
constexpr PreferenceId kProjectIds[] = {
    PREF_PRE_PROC_ENABLE, PREF_PRE_PROC_NO_WAIT, PREF_PRE_PROC_TITLE,   PREF_PRE_PROC_CMD,
    PREF_PRE_PROC_DIR,    PREF_PRE_PROC_RC_OK,   PREF_POST_PROC_ENABLE, PREF_POST_PROC_NO_WAIT,
    PREF_POST_PROC_TITLE, PREF_POST_PROC_CMD,    PREF_POST_PROC_DIR,    PREF_POST_PROC_RC_OK,
};

}  // namespace

void PreferenceItem::SetNumber(std::int32_t number) {
    number = ClampToKey(*key_, number);
    if (number == number_) return;
    number_ = number;
    modified_ = true;
}

void PreferenceItem::SetText(std::u16string_view text) {
    if (text_.view() == text) return;
    text_ = CString(text);
    modified_ = true;
}

CPreferences::CPreferences(const PreferenceId* ids, std::size_t count) {
    if (!ids) return;
    for (std::size_t i = 0; i < count; ++i) {
        const PreferenceKey& key = FindPreferenceKey(ids[i]);
        // Slots are indexed by id; an id outside the table has no slot to live in.
        if (key.id < 0 || static_cast<std::size_t>(key.id) >= kPreferenceCount) continue;
        items_[static_cast<std::size_t>(key.id)] = std::make_unique<PreferenceItem>(key);
    }
}

CPreferences::~CPreferences() = default;

PreferenceItem* CPreferences::Item(std::int32_t id) {
    return id >= 0 && static_cast<std::size_t>(id) < kPreferenceCount ? items_[static_cast<std::size_t>(id)].get()
                                                                      : nullptr;
}

const PreferenceItem* CPreferences::Item(std::int32_t id) const { return const_cast<CPreferences*>(this)->Item(id); }

std::int32_t CPreferences::GetNumber(std::int32_t id) const {
    const PreferenceItem* item = Item(id);
    return item ? item->Number() : FindPreferenceKey(id).defaultNumber;
}

CString CPreferences::GetText(std::int32_t id) const {
    const PreferenceItem* item = Item(id);
    return item ? item->Text() : CString(FindPreferenceKey(id).defaultText);
}

void CPreferences::SetNumber(std::int32_t id, std::int32_t number) {
    if (PreferenceItem* item = Item(id)) item->SetNumber(number);
}

void CPreferences::SetText(std::int32_t id, std::u16string_view text) {
    if (PreferenceItem* item = Item(id)) item->SetText(text);
}

void CPreferences::LoadFromRegistry(const RegistryProfile& registry, std::u16string_view section) {
    for (auto& item : items_) {
        if (!item) continue;
        const PreferenceKey& key = item->Key();
        if (key.type == PREF_TYPE_STRING) {
            item->text_ = registry.GetProfileString(section, key.name, key.defaultText);
        } else {
            item->number_ = ClampToKey(key, registry.GetProfileInt(section, key.name, key.defaultNumber));
        }
        item->modified_ = false;
    }
}

bool CPreferences::SaveToRegistry(RegistryProfile& registry, std::u16string_view section) {
    bool all = true;
    for (auto& item : items_) {
        if (!item || !item->modified_) continue;
        const PreferenceKey& key = item->Key();
        const bool written = key.type == PREF_TYPE_STRING ? registry.WriteProfileString(section, key.name, item->text_)
                                                          : registry.WriteProfileInt(section, key.name, item->number_);
        if (written)
            item->modified_ = false;
        else
            all = false;
    }
    return all;
}

void CPreferences::ResetToDefaults() {
    for (auto& item : items_) {
        if (!item) continue;
        const PreferenceKey& key = item->Key();
        if (key.type == PREF_TYPE_STRING)
            item->SetText(key.defaultText);
        else
            item->SetNumber(key.defaultNumber);
    }
}

void CPreferences::Dump(CString& text) const {
    for (const auto& item : items_) {
        if (!item) continue;
        const PreferenceKey& key = item->Key();
        if (key.type == PREF_TYPE_STRING)
            text.AppendFormat(u"%s:\"%s\"\n", key.name, item->text_);
        else
            text.AppendFormat(u"%s:%i\n", key.name, item->number_);
    }
}

bool CPreferences::IsModified() const {
    for (const auto& item : items_) {
        if (item && item->modified_) return true;
    }
    return false;
}

void CPreferences::ClearModified() {
    for (auto& item : items_) {
        if (item) item->modified_ = false;
    }
}

void CPreferences::CopyFrom(const CPreferences& other) {
    for (std::size_t id = 0; id < kPreferenceCount; ++id) {
        PreferenceItem* mine = items_[id].get();
        const PreferenceItem* theirs = other.items_[id].get();
        if (!mine || !theirs) continue;
        mine->number_ = theirs->number_;
        mine->text_ = theirs->text_;
        mine->modified_ = false;
    }
}

CAppPreferences::CAppPreferences() : CPreferences(kAppIds, std::size(kAppIds)) {}

CProfilePreferences::CProfilePreferences() : CPreferences(kProfileIds, std::size(kProfileIds)) {}

CProjectPreferences::CProjectPreferences() : CPreferences(kProjectIds, std::size(kProjectIds)) {}

namespace {

// The six keys of a command, from its enable key on.
void SetCommand(CPreferences& prefs, std::int32_t first, const PrePostCommand& command) {
    prefs.SetBool(first, command.enable);
    prefs.SetBool(first + 1, command.noWait);
    prefs.SetText(first + 2, command.title);
    prefs.SetText(first + 3, command.command);
    prefs.SetText(first + 4, command.directory);
    prefs.SetText(first + 5, command.acceptedExitCode);
}

void GetCommand(const CPreferences& prefs, std::int32_t first, PrePostCommand& command) {
    command.enable = prefs.GetBool(first);
    command.noWait = prefs.GetBool(first + 1);
    command.title = prefs.GetText(first + 2);
    command.command = prefs.GetText(first + 3);
    command.directory = prefs.GetText(first + 4);
    command.acceptedExitCode = prefs.GetText(first + 5);
}

}  // namespace

void CProjectPreferences::SetPreProcessing(const PrePostCommand& command) {
    SetCommand(*this, PREF_PRE_PROC_ENABLE, command);
}
void CProjectPreferences::SetPostProcessing(const PrePostCommand& command) {
    SetCommand(*this, PREF_POST_PROC_ENABLE, command);
}
void CProjectPreferences::GetPreProcessing(PrePostCommand& command) const {
    GetCommand(*this, PREF_PRE_PROC_ENABLE, command);
}
void CProjectPreferences::GetPostProcessing(PrePostCommand& command) const {
    GetCommand(*this, PREF_POST_PROC_ENABLE, command);
}
