#pragma once
// The preference stores: CPreferences holds the values of a chosen set of keys of the
// preference key table (preference_keys.h), each with a modified flag, and reads and
// writes them in two forms: the program's settings (a registry section, through
// RegistryProfile) and a name/value blob that profile and project files carry in their
// blob store. Three subclasses choose the set: CAppPreferences (the application's
// settings, section "Settings"), CProfilePreferences (one profile's settings, in its file;
// the application's new-profile defaults in section "NewProfileDefaults") and
// CProjectPreferences (a project's pre- and post-processing commands).
//
// Every write of a value goes through SetNumber or SetText (the clamp-and-mark rule): a
// number above a non-zero maximum (compared unsigned) becomes the key's default; a value
// that differs from the current one is stored and marked modified; an equal value leaves
// the flag as it is. Loads take values without marking them.
//
// Blob form: for each value in key-id order its name, NUL, its value (numbers as signed
// decimal), NUL; then one more NUL. UTF-16LE (two bytes a character); older files hold
// the same in 8-bit Windows-1252 (LoadFromAnsiBlob).
//
// Ownership: a store owns its items. Threads: one thread at a time (the engine's workers
// read a profile's store through CCorePreferences while the user-interface thread waits).
// Errors: loads never fail (bad values become defaults); saves return false when a write
// failed. Nothing throws except std::bad_alloc.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/preference_keys.h"
#include "platform/core/cstring.h"

class BlobStore;
class RegistryProfile;

// One value of a store.
class PreferenceItem {
public:
    explicit PreferenceItem(const PreferenceKey& key) : key_(&key), number_(key.defaultNumber) {}

    const PreferenceKey& Key() const { return *key_; }
    // Bools are 0 or 1 as written; any non-zero counts as true.
    std::int32_t Number() const { return number_; }
    bool Bool() const { return number_ != 0; }
    const CString& Text() const { return text_; }
    bool IsModified() const { return modified_; }

    // The clamp-and-mark rule (see above).
    void SetNumber(std::int32_t number);
    void SetText(std::u16string_view text);

private:
    friend class CPreferences;
    const PreferenceKey* key_;
    std::int32_t number_;
    CString text_;
    bool modified_ = false;
};

class CPreferences {
public:
    // One item per id (its row's default number, an empty text, flag clear). Ids without
    // a row get the fallback row; a null list or a count of 0 makes an empty store.
    CPreferences(const PreferenceId* ids, std::size_t count);
    virtual ~CPreferences();
    CPreferences(const CPreferences&) = delete;
    CPreferences& operator=(const CPreferences&) = delete;

    // Each item from the section: numbers as 32-bit values (missing, of another type, or
    // above a non-zero maximum taken as unsigned: the default), texts (missing: the
    // default text). Every flag is clear afterwards.
    virtual void LoadFromRegistry(const RegistryProfile& registry, std::u16string_view section);
    // Writes the modified items and clears their flags. A write that fails keeps its
    // item's flag (a later save tries again) and makes the result false.
    virtual bool SaveToRegistry(RegistryProfile& registry, std::u16string_view section);
    // The blob of record id (UTF-16LE). No such record: nothing changes. Otherwise every
    // item takes its value from the blob (a name given twice: the later one), or its
    // default when the blob lacks its name; numbers read as ParseDecimalNumber and
    // clamped to the key; unknown names are ignored, an odd last byte, a name without a
    // value and a missing final NUL do no harm. Every flag is clear afterwards.
    virtual void LoadFromBlob(const BlobStore& blobs, std::int32_t id);
    // The same over the 8-bit Windows-1252 form of older files.
    virtual void LoadFromAnsiBlob(const BlobStore& blobs, std::int32_t id);
    // Writes the blob as record id (replacing one of that id) and clears every flag; false
    // (flags kept) when the record cannot be stored.
    virtual bool SaveToBlob(BlobStore& blobs, std::int32_t id);
    // Every item to its default through the clamp-and-mark rule, so that changed items are
    // marked for the next SaveToRegistry.
    virtual void ResetToDefaults();
    // Appends "name:number\n" or "name:\"text\"\n" per item in id order.
    virtual void Dump(CString& text) const;
    virtual bool IsModified() const;
    virtual void ClearModified();

    // Number and text of every item from other's item of the same id (items other does
    // not hold are left alone); the flags are cleared: a copy is not a change.
    void CopyFrom(const CPreferences& other);

    // The item of id, null when this store does not hold it.
    PreferenceItem* Item(std::int32_t id);
    const PreferenceItem* Item(std::int32_t id) const;
    // The item's value; for an id the store does not hold, the row's default.
    std::int32_t GetNumber(std::int32_t id) const;
    bool GetBool(std::int32_t id) const { return GetNumber(id) != 0; }
    CString GetText(std::int32_t id) const;
    // Writes through the item's rule; an id the store does not hold is ignored.
    void SetNumber(std::int32_t id, std::int32_t number);
    void SetBool(std::int32_t id, bool value) { SetNumber(id, value ? 1 : 0); }
    void SetText(std::int32_t id, std::u16string_view text);

private:
    void LoadFromPairs(const std::u16string& text);

    std::array<std::unique_ptr<PreferenceItem>, kPreferenceCount> items_;  // by id; null: not held
};

class CAppPreferences : public CPreferences {
public:
    CAppPreferences();
};

class CProfilePreferences : public CPreferences {
public:
    CProfilePreferences();
};

struct PrePostCommand;

class CProjectPreferences : public CPreferences {
public:
    CProjectPreferences();
    // Keys 35 to 40 / 41 to 46 from the record (enable, noWait, title, command,
    // directory, accepted exit code) through the clamp-and-mark rule.
    void SetPreProcessing(const PrePostCommand& command);
    void SetPostProcessing(const PrePostCommand& command);
    // The record from those keys (flags as value != 0).
    void GetPreProcessing(PrePostCommand& command) const;
    void GetPostProcessing(PrePostCommand& command) const;
};
