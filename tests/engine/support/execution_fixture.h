#pragma once
// A plan built without a scan, for tests of the execution: entries of a record tree whose
// current stamps are read from the file system as they are now, with the action code a
// test chooses, optionally remembered as synchronised (database pair = current stamps).
#include <string_view>
#include <vector>

#include "engine/error_info.h"
#include "engine/execute/execution_counts.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/run_result.h"
#include "engine/sync_database.h"
#include "platform/core/file_system.h"
#include "tests/engine/support/kit.h"

class ScriptedWatcher;

class ExecutionFixture {
public:
    // Both roots must exist on fs (absolute, ending in '/').
    ExecutionFixture(plat::FileSystem& fs, const CString& leftRoot, const CString& rightRoot);

    // The node of a relative path ("dir/file.txt", '/' between real names). Every level
    // gets the current stamps of both sides as they are on disk now; the last level gets
    // PA = AC = code, and every level above it that has no code yet EQUAL.
    FSTreeNode* Entry(std::string_view relative, ActionCode code);
    // The current stamps become the database pair (a synchronised state); a side that is
    // absent takes the other side's stamp.
    static void Remember(FSTreeNode* node);
    // Builds the Proxy over the tree (call after the last Entry).
    void Build();
    // Runs the plan; counts gets what the run did on the disk.
    RunResult Execute(ScriptedWatcher& watcher);

    CLogger logger;
    kit::LogCollector log;
    CSyncDataBase db;
    Proxy proxy;
    ExecutionCounts counts;  // of the last Execute
};
