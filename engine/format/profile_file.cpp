// The profile file: CSyncDataBase::Save (format 3) and Load (formats 1, 2 and 3), and
// the tree's database-only writing.
//
// A load either succeeds completely or leaves the database cleared: a half-read profile
// would show entries without their history, and saving it would lose the rest.
#include <cstdint>

#include "engine/format/binary_stream.h"
#include "engine/format/file_header.h"
#include "engine/format/fs_tree_streams.h"
#include "engine/format/rule_streams.h"
#include "engine/format/stream_strings.h"
#include "engine/log/logger.h"
#include "engine/sync_database.h"
#include "platform/core/win_error.h"
#include "resources/string_ids.h"

namespace {

constexpr char kProfileMagic[] = "obn database";
constexpr std::uint32_t kProfileVersion = 3;

// Format 2 roots: u32 n, then n pairs' worth of char[260] records of which the first two
// are the roots and the n - 1 after them are skipped.
bool ReadRootsV2(BinaryReader& in, CString& left, CString& right) {
    std::uint32_t n = 0;
    if (!in.ReadU32(n)) return false;
    if (n == 0) {
        in.SetFail(win32::ERROR_INVALID_DATA);
        return false;
    }
    ReadFixedNarrow(in, left, kMaxPathChars);
    ReadFixedNarrow(in, right, kMaxPathChars);
    return in.Skip(std::uint64_t(n - 1) * kMaxPathChars);
}

}  // namespace

bool CSyncDataBase::WriteSubtree(BinaryWriter& stream, FSTreeNode* node, std::uint32_t) {
    if (!node) {
        stream.SetFail(win32::ERROR_INVALID_PARAMETER);
        return false;
    }
    return WriteTreeNodes(stream, *node, true);
}

bool CSyncDataBase::ReadSubtree(BinaryReader& stream, FSTreeNode* node, std::uint32_t version) {
    if (!node) {
        stream.SetFail(win32::ERROR_INVALID_PARAMETER);
        return false;
    }
    return ReadTreeNodes(stream, *node, version, [this](const FSTreeNode& kept) {
        if (CLogger* logger = GetLogger()) logger->LogWarning(IDS_PROFILE_DUPLICATE_ENTRY, GetNodePath(&kept));
    });
}

bool CSyncDataBase::Save(BinaryWriter& stream, std::uint32_t, std::uint32_t w2, std::uint32_t w3, std::uint32_t w4,
                         ErrorInfo& error) {
    if (stream.good()) {
        FileHeader header(kProfileMagic);
        header.SetVersion(kProfileVersion, w2, w3, w4);
        header.Write(stream);
        WriteWideString(stream, leftRoot, kMaxPathChars);
        WriteWideString(stream, rightRoot, kMaxPathChars);
        Write(stream, 0);
        protectionFilters.Write(stream);
        stream.WriteU32(std::uint32_t(selectionFilters.size()));
        for (const ProtectionRule& rule : selectionFilters) {
            if (!rule.Write(stream)) break;
        }
        blobStore.Write(stream);
        // Hand everything to the file now, so that a failing write is reported here.
        if (stream.Flush()) return true;
    }
    error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_READ_WRITE, 0, nullptr);
    if (CLogger* logger = GetLogger()) logger->LogRecord(error);
    return false;
}

bool CSyncDataBase::Load(BinaryReader& stream, std::uint32_t* w1, std::uint32_t* w2, std::uint32_t* w3,
                         std::uint32_t* w4, ErrorInfo& error) {
    const std::uint32_t code = LoadBody(stream, w1, w2, w3, w4);
    if (code == 0) {
        rootsValid = 1;
        WarnOfUncompiledRules();
        return true;
    }
    Clear();
    error.Set(ERROR_CATEGORY_PROGRAM, code, 0, nullptr);
    if (CLogger* logger = GetLogger()) logger->LogRecord(error);
    return false;
}

// Reads everything after the caller's checks; returns 0 or the program error code.
std::uint32_t CSyncDataBase::LoadBody(BinaryReader& stream, std::uint32_t* w1, std::uint32_t* w2, std::uint32_t* w3,
                                      std::uint32_t* w4) {
    if (!stream.good()) return ERRCODE_READ_WRITE;
    Clear();
    FileHeader header(kProfileMagic);
    if (!header.Read(stream)) return ERRCODE_READ_WRITE;
    // A foreign file (a project file, say) is never read on as a profile.
    if (!header.Verify()) return ERRCODE_BAD_FORMAT;
    std::uint32_t* out[4] = {w1, w2, w3, w4};
    for (int i = 0; i < 4; ++i) {
        if (out[i]) *out[i] = header.version[i];
    }
    const std::uint32_t version = header.version[0];
    switch (version) {
        case 1:
            ReadFixedNarrow(stream, leftRoot, kMaxPathChars);
            ReadFixedNarrow(stream, rightRoot, kMaxPathChars);
            break;
        case 2:
            ReadRootsV2(stream, leftRoot, rightRoot);
            break;
        case 3:
            ReadWideString(stream, leftRoot, kMaxPathChars);
            ReadWideString(stream, rightRoot, kMaxPathChars);
            break;
        default:
            return ERRCODE_UNSUPPORTED_VERSION;
    }
    Read(stream, version);
    protectionFilters.Read(stream, version);
    std::uint32_t count = 0;
    if (ReadRuleCount(stream, count)) {
        for (std::uint32_t i = 0; i < count; ++i) {
            ProtectionRule rule;
            if (!rule.Read(stream, version)) break;
            selectionFilters.push_back(std::move(rule));
        }
    }
    blobStore.Read(stream);
    return stream.good() ? 0u : std::uint32_t(ERRCODE_READ_WRITE);
}
