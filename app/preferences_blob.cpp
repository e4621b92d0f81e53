// The blob form of the preference stores: the name/value record that profile and
// project files carry.
//
// Reading takes the record as it comes from a file that may be damaged or crafted:
// the characters are only the whole code units the record holds, every string ends at a
// NUL or at the record's end, and a name without a value is dropped, so nothing is read
// past the record and no input can fail the load.
#include <map>

#include "app/preferences.h"
#include "engine/format/blob_store.h"
#include "platform/core/text_convert.h"

namespace {

// Splits text at its NULs into strings that alternate name and value; the later of two
// pairs with the same name wins.
std::map<std::u16string, std::u16string> Pairs(const std::u16string& text) {
    std::map<std::u16string, std::u16string> pairs;
    std::u16string_view rest = text;
    std::u16string_view name;
    bool haveName = false;
    while (!rest.empty()) {
        const std::size_t nul = rest.find(u'\0');
        const std::u16string_view piece = rest.substr(0, nul);
        rest = nul == std::u16string_view::npos ? std::u16string_view() : rest.substr(nul + 1);
        if (!haveName) {
            name = piece;
            haveName = true;
        } else {
            pairs[std::u16string(name)] = std::u16string(piece);
            haveName = false;
        }
    }
    return pairs;
}

}  // namespace

void CPreferences::LoadFromPairs(const std::u16string& text) {
    const auto pairs = Pairs(text);
    for (auto& item : items_) {
        if (!item) continue;
        const PreferenceKey& key = item->Key();
        const auto it = pairs.find(key.name);
        if (key.type == PREF_TYPE_STRING) {
            item->text_ = it != pairs.end() ? CString(it->second) : CString(key.defaultText);
        } else {
            item->number_ = it != pairs.end() ? ClampToKey(key, ParseDecimalNumber(it->second)) : key.defaultNumber;
        }
        item->modified_ = false;
    }
}

void CPreferences::LoadFromBlob(const BlobStore& blobs, std::int32_t id) {
    const Blob* blob = blobs.Find(id);
    if (!blob) return;
    LoadFromPairs(DecodeUtf16Le(std::string_view(reinterpret_cast<const char*>(blob->data.data()), blob->data.size())));
}

void CPreferences::LoadFromAnsiBlob(const BlobStore& blobs, std::int32_t id) {
    const Blob* blob = blobs.Find(id);
    if (!blob) return;
    LoadFromPairs(
        DecodeWindows1252(std::string_view(reinterpret_cast<const char*>(blob->data.data()), blob->data.size())));
}

bool CPreferences::SaveToBlob(BlobStore& blobs, std::int32_t id) {
    CString text;
    for (const auto& item : items_) {
        if (!item) continue;
        const PreferenceKey& key = item->Key();
        text += key.name;
        text += u'\0';
        if (key.type == PREF_TYPE_STRING)
            text += item->text_;
        else
            text.AppendFormat(u"%i", item->number_);
        text += u'\0';
    }
    text += u'\0';  // the terminator of the whole text
    const std::string bytes = EncodeUtf16Le(text);
    if (!blobs.Set(id, bytes.data(), bytes.size())) return false;
    ClearModified();
    return true;
}
