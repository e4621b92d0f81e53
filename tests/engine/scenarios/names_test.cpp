// Two-way scenarios of names and kinds of entries: case-only renames and names differing
// only in case, bytes that are not UTF-8, hidden files and look-alikes of the program's
// temporary files, links and special files.
// The runner and what every case checks: tests/engine/support/scenario_runner.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/support/scenario_runner.h"

namespace {

using namespace kit::scenario;

const std::vector<Case> kCases = {
    // A name changed only in case is no rename on the other side: the plan copies the
    // file (the stamp's name differs from the database's), the copy keeps the target's
    // spelling, and the next run finds nothing to do.
    {"CaseOnlyRename",
     {{"readme.txt", "1"}},
     {{.change = [](TwoWayPair& p) { p.left.Rename("readme.txt", "README.txt"); },
       .plan = {{"readme.txt", CP_M}},
       .left = {{"README.txt", "1"}},
       .right = Tree{{"readme.txt", "1"}},
       .counts = ExecutionCounts{.copies = 1}},
      {.plan = {}, .left = {{"README.txt", "1"}}, .right = Tree{{"readme.txt", "1"}}}}},
    {"NamesDifferingOnlyInCaseAreLeftAlone",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("x.txt", "lower", T(10));
               p.left.Write("X.TXT", "upper", T(10));
           },
       .plan = {{"x.txt", SKIP}},
       .left = {{"a", "1"}, {"x.txt", "lower"}, {"X.TXT", "upper"}},
       .right = Tree{{"a", "1"}},
       .check = [](TwoWayPair&,
                   const SyncResult& r) { EXPECT_FALSE(r.Problems().empty()) << "a warning names them"; }}}},
    {"NamesWithOtherBytesNewlinesAndBackslashes",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write("caf\xE9.txt", "latin-1", T(10));
               p.left.Write("line\nbreak", "newline", T(10));
               p.left.Write("back\\slash", "not synchronisable", T(10));
           },
       .plan = {{"caf\xE9.txt", CP_M}, {"line\nbreak", CP_M}, {"back\\slash", SKIP}},
       .left =
           {{"a", "1"}, {"caf\xE9.txt", "latin-1"}, {"line\nbreak", "newline"}, {"back\\slash", "not synchronisable"}},
       .right = Tree{{"a", "1"}, {"caf\xE9.txt", "latin-1"}, {"line\nbreak", "newline"}}}}},
    // A user's file that only looks like a leftover of the program is synchronised, and
    // so are hidden files.
    {"HiddenFilesAndLookAlikesOfTemporaryFiles",
     {{"a", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Write(".hidden", "h", T(10));
               p.left.Write(".wk~notes", "mine", T(10));
               p.right.Write(".wk~abcdefgh.txt", "mine too", T(10));
           },
       .plan = {{".hidden", CP_M}, {".wk~notes", CP_M}, {".wk~abcdefgh.txt", CP_S}},
       .left = {{"a", "1"}, {".hidden", "h"}, {".wk~notes", "mine"}, {".wk~abcdefgh.txt", "mine too"}}},
      {.plan = {}, .left = {{"a", "1"}, {".hidden", "h"}, {".wk~notes", "mine"}, {".wk~abcdefgh.txt", "mine too"}}}}},
    {"LinksAndFifosAreNeverCopiedNorDeleteAnything",
     {{"a", "1"}, {"x", "1"}},
     {{.change =
           [](TwoWayPair& p) {
               p.left.Link("l", "a");
               p.left.Fifo("p");
               p.left.Remove("x");
               p.left.Link("x", "a");  // a synchronised file replaced by a link
               p.right.Link("dl", "/");
           },
       .plan = {{"l", SKIP}, {"p", SKIP}, {"x", SKIP}, {"dl", SKIP}},
       .left = {{"a", "1"}, Link("l"), Special("p"), Link("x")},
       .right = Tree{{"a", "1"}, {"x", "1"}, Link("dl")}}}},
};

class NamesAndKinds : public ScenarioTest {};

TEST_P(NamesAndKinds, Scenario) { RunScenario(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, NamesAndKinds, ::testing::ValuesIn(Runs(kCases)), RunName);

}  // namespace
