#pragma once
// A sync database with a small plan for command tests: entries added by path (see
// DecisionTable), decided like a scan does it (decision, protection, index), entries marked by
// path, and printable views of what a command may change: the codes, the stamps and flags,
// the protection rules and each entry's protection state.
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "tests/engine/support/decision_table.h"

namespace kit {

class CommandFixture {
public:
    CommandFixture() : db(nullptr) {}

    FSTreeNode& Add(std::string_view path, const Side& left, const Side& right, const Db& dbPair = std::nullopt) {
        return AddEntry(db, path, left, right, dbPair);
    }
    FSTreeNode& operator[](std::string_view path) { return NodeAt(db, path); }

    // Decides every record, derives the action codes and the best choice, applies the
    // protection filters and builds the index; no entry is marked.
    void Decide();
    // Exactly these entries are marked in the index.
    void Mark(std::initializer_list<std::string_view> paths);
    void MarkAll() { proxy.MarkAll(true); }
    // The index of the entry at path.
    std::uint32_t IndexOf(std::string_view path);

    // "PATH=CODE ..." for 'P' PA, 'A' AC, 'B' BC.
    std::string Codes(char field) const { return TreeCodes(db, field); }
    // Everything of the records a code edit must leave alone: PA, BC, ST, FG (but the
    // record mark) and the stamps of both sides and of the database.
    std::string Untouched() const;
    // The tokens of Codes(field) that differ from those of before (same tree).
    std::string ChangedSince(const std::string& before, char field = 'A') const;
    // The protection rules in order: "PATTERN[flags hex]" joined by " | ".
    std::string Rules() const;
    // Each entry's protection state bits and AC: "PATH:state:AC ...".
    std::string States() const;

    CSyncDataBase db;
    Proxy proxy;
};

}  // namespace kit
