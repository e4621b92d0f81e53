#include "tests/engine/support/profile_load_check.h"

#include <span>

#include "engine/error_info.h"
#include "engine/format/binary_stream.h"
#include "engine/sync_database.h"

namespace kit {

bool IsProfileCleared(const CSyncDataBase& db) {
    return db.rootsValid == 0 && db.leftRoot.IsEmpty() && db.rightRoot.IsEmpty() && db.GetRoot()->children.empty() &&
           db.protectionFilters.Count() == 0 && db.selectionFilters.empty() && db.blobStore.Count() == 0;
}

namespace {

bool SaveTo(CSyncDataBase& db, std::string& bytes) {
    MemoryWriter w;
    ErrorInfo err;
    if (!db.Save(w, 3, 0, 0, 0, err)) return false;
    bytes = w.Bytes();
    return true;
}

}  // namespace

std::string CheckProfileLoad(const std::uint8_t* data, std::size_t size) {
    CSyncDataBase db(nullptr);
    MemoryReader in(std::span<const std::uint8_t>(data, size));
    ErrorInfo err;
    if (!db.Load(in, nullptr, nullptr, nullptr, nullptr, err)) {
        if (!err.IsSet()) return "a failed load set no error";
        if (!IsProfileCleared(db)) return "a failed load left data behind";
        return {};
    }
    if (err.IsSet()) return "a successful load set an error";
    if (db.rootsValid != 1) return "a successful load left roots valid unset";
    std::string first, second;
    if (!SaveTo(db, first)) return "an accepted profile did not save";
    CSyncDataBase again(nullptr);
    MemoryReader in2(first);
    if (!again.Load(in2, nullptr, nullptr, nullptr, nullptr, err)) return "a saved profile did not load";
    if (!SaveTo(again, second)) return "a reloaded profile did not save";
    if (first != second) return "save, load and save gave different bytes";
    return {};
}

}  // namespace kit
