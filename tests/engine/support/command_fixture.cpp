#include "tests/engine/support/command_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "engine/filters/protection_filters.h"

namespace kit {

namespace {
std::string Utf8(const CString& s) { return s.ToUtf8(); }
std::string StampText(const FileStamp* s) { return s ? Utf8(s->DumpText()) : std::string("-"); }
}  // namespace

void CommandFixture::Decide() {
    db.DecideRecords();
    db.DecidePlan(nullptr, false);
    db.ApplyProtectionFilters();
    proxy.Build(db, &db.leftRoot, &db.rightRoot, &db.blobStore);
}

std::uint32_t CommandFixture::IndexOf(std::string_view path) {
    const FSTreeNode* node = &NodeAt(db, path);
    for (std::uint32_t i = 0; i < proxy.GetCount(); ++i)
        if (proxy[i].node == node) return i;
    ADD_FAILURE() << "not in the index: " << path;
    return 0;
}

void CommandFixture::Mark(std::initializer_list<std::string_view> paths) {
    proxy.MarkAll(false);
    for (std::string_view path : paths) proxy[IndexOf(path)].marked = 1;
}

std::string CommandFixture::Untouched() const {
    std::string out;
    for (FSTreeNode* n : FSTree::Subtree(db.GetRoot())) {
        const CSyncRecord& r = n->record;
        out += Utf8(FSTree::GetNodePath(n)) + " PA=" + kit::CodeName(r.PA) + " BC=" + kit::CodeName(r.BC) +
               " ST=" + std::to_string(r.ST) + " FG=" + std::to_string(r.FG & ~FG_MARKED) +
               " L=" + StampText(r.left.get()) + " R=" + StampText(r.right.get()) +
               " D=" + (r.db ? StampText(&r.db->left) + "/" + StampText(&r.db->right) : "-") + "\n";
    }
    return out;
}

std::string CommandFixture::ChangedSince(const std::string& before, char field) const {
    const std::string after = Codes(field);
    std::string out;
    std::size_t a = 0, b = 0;
    while (a < after.size()) {
        const std::size_t aEnd = std::min(after.find(' ', a), after.size());
        const std::size_t bEnd = std::min(before.find(' ', b), before.size());
        const std::string token = after.substr(a, aEnd - a);
        if (b >= before.size() || token != before.substr(b, bEnd - b)) out += (out.empty() ? "" : " ") + token;
        a = aEnd + 1;
        b = bEnd + 1;
    }
    return out;
}

std::string CommandFixture::Rules() const {
    std::string out;
    for (const auto& rule : db.protectionFilters.Entries()) {
        char flags[16];
        std::snprintf(flags, sizeof flags, "[%02x]", unsigned(rule->GetFlags()));
        if (!out.empty()) out += " | ";
        out += Utf8(rule->GetPattern()) + flags;
    }
    return out;
}

std::string CommandFixture::States() const {
    std::string out;
    for (FSTreeNode* n : FSTree::Subtree(db.GetRoot())) {
        const RecordFilterState* state = n->record.filterState;
        if (!out.empty()) out += ' ';
        out += Utf8(FSTree::GetNodePath(n)) + ":" + std::to_string(state ? state->GetProtectionState() : 0) + ":" +
               kit::CodeName(n->record.AC);
    }
    return out;
}

}  // namespace kit
