#include "tests/engine/support/execution_fixture.h"

#include <stdexcept>

#include "tests/engine/support/scripted_watcher.h"

ExecutionFixture::ExecutionFixture(plat::FileSystem& fs, const CString& leftRoot, const CString& rightRoot)
    : db(&logger) {
    logger.AddView(&log);
    db.SetFileSystem(&fs);
    ErrorInfo error;
    if (db.Create(leftRoot, rightRoot, error) != 0) throw std::runtime_error("roots not usable");
}

FSTreeNode* ExecutionFixture::Entry(std::string_view relative, ActionCode code) {
    plat::FileSystem& fs = db.GetFileSystem();
    FSTreeNode* node = db.GetRoot();
    CString path;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string_view::npos) end = relative.size();
        const CString name = CString::FromUtf8(relative.substr(start, end - start));
        if (!path.IsEmpty()) path += u'/';
        path += name;
        node = FSTree::FindOrInsertChild(node, name);
        plat::FindData data;
        if (fs.GetFindData(db.leftRoot + path, data)) node->record.SetLeftStamp(data);
        if (fs.GetFindData(db.rightRoot + path, data)) node->record.SetRightStamp(data);
        node->record.SetPath(FSTree::GetNodePath(node).view());
        const bool last = end == relative.size();
        if (last) {
            node->record.PA = node->record.AC = code;
        } else if (node->record.AC == INVALID) {
            node->record.PA = node->record.AC = EQUAL;
        }
        start = end + 1;
    }
    return node;
}

void ExecutionFixture::Remember(FSTreeNode* node) {
    CSyncRecord& r = node->record;
    const FileStamp& left = r.left ? *r.left : *r.right;
    const FileStamp& right = r.right ? *r.right : *r.left;
    r.SetDatabaseStamps(left, right);
}

void ExecutionFixture::Build() { proxy.Build(db, &db.leftRoot, &db.rightRoot, &db.blobStore); }

RunResult ExecutionFixture::Execute(ScriptedWatcher& watcher) { return db.Execute(proxy, watcher.watcher, &counts); }
