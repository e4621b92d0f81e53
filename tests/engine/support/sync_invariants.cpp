#include "tests/engine/support/sync_invariants.h"

#include <set>
#include <sstream>

namespace kit::scenario {
namespace {

// Entries by record path, so that a side's entry meets the other side's entry of the
// same record whatever the case of its name.
std::map<std::string, const Node*> ByRecord(const Tree& tree) {
    std::map<std::string, const Node*> out;
    for (const auto& [path, node] : tree.entries) out[Bytes(RecordPath(path))] = &node;
    return out;
}

bool IsDir(const Node& n) { return n.kind == Node::Dir || n.kind == Node::Unlisted; }

// after is what a copy of source may leave: a complete file copy, or a directory for a
// directory.
bool IsCopyOf(const Node& after, const Node* source) {
    if (!source) return false;
    if (source->kind == Node::File) return after.kind == Node::File && after.bytes == source->bytes;
    return IsDir(*source) && IsDir(after);
}

bool SameEntry(const Node& a, const Node& b) {
    if (IsDir(a) || IsDir(b)) return IsDir(a) && IsDir(b);
    return a.kind == b.kind && (a.kind != Node::File || a.bytes == b.bytes);
}

void CheckSide(const char* side, bool isLeft, const Plan& plan, const Tree& before, const Tree& after,
               const Tree& otherBefore, std::ostream& out) {
    const auto sources = ByRecord(otherBefore);
    std::set<std::string> paths;
    for (const auto& [p, n] : before.entries) paths.insert(p);
    for (const auto& [p, n] : after.entries) paths.insert(p);
    for (const std::string& path : paths) {
        const std::string record = Bytes(RecordPath(path));
        auto pit = plan.find(record);
        const ActionCode code = pit == plan.end() ? INVALID : pit->second;
        const bool deletes = code == (isLeft ? DEL_M : DEL_S);
        const bool copiesHere = code == (isLeft ? CP_S : CP_M);
        auto sit = sources.find(record);
        const Node* source = sit == sources.end() ? nullptr : sit->second;
        const Node* b = before.Find(path);
        const Node* a = after.Find(path);
        const std::string where = std::string(side) + " " + Printable(path) + " (" + kit::CodeName(code) + "): ";
        if (b && !a) {
            // Gone: only a deletion, or the old entry a copy of the other kind removes
            // before the new one is in place.
            const bool otherKind = source && IsDir(*source) != IsDir(*b);
            if (!deletes && !(copiesHere && otherKind)) out << where << "disappeared\n";
        } else if (!b && a) {
            if (!copiesHere || !IsCopyOf(*a, source)) out << where << "appeared without being a copy of its source\n";
        } else if (b && a && !SameEntry(*a, *b)) {
            if (!copiesHere || !IsCopyOf(*a, source)) out << where << "changed into something that is not its source\n";
        }
    }
}

}  // namespace

std::string CheckSyncInvariants(TwoWayPair& pair, const Before& before) {
    std::ostringstream out;
    const Tree left = pair.left.Read(), right = pair.right.Read();
    CheckSide("left", true, before.plan, before.left, left, before.right, out);
    CheckSide("right", false, before.plan, before.right, right, before.left, out);
    std::string why;
    if (!pair.ProfileLoads(&why)) out << "the profile does not load: " << why << "\n";
    if (!out.str().empty()) return out.str();

    pair.faults.ClearFaults();
    const SyncResult next = pair.Sync({.best = true});
    if (!next.executed || next.run != RUN_FINISHED || !next.saved)
        out << "the next run did not finish cleanly (scan " << next.scan << ", run " << next.run << "):\n"
            << next.LogText();
    // One read of each side with the temporary files: they must be gone, and without them
    // both sides must be equal.
    Tree sides[2] = {pair.left.Read(true), pair.right.Read(true)};
    for (int i = 0; i < 2; ++i) {
        for (const std::string& t : sides[i].Temporaries()) {
            out << (i == 0 ? "left" : "right") << " temporary file left: " << Printable(t) << "\n";
            sides[i].entries.erase(t);
        }
    }
    const SyncResult scan = pair.Scan();
    if (scan.scan != 0) out << "the scan after the next run was cancelled:\n" << scan.LogText();
    for (const auto& [path, code] : scan.plan)
        if (code != EQUAL) out << "not converged: " << Printable(path) << "=" << kit::CodeName(code) << "\n";
    const std::string diff = Difference(sides[0], sides[1]);
    if (!diff.empty()) out << "the sides differ after the next run (left - / right +):\n" << diff;
    return out.str();
}

}  // namespace kit::scenario
