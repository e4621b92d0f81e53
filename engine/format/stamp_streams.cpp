#include "engine/format/stamp_streams.h"

#include "engine/format/binary_stream.h"
#include "engine/format/stream_strings.h"

bool WriteStamp(BinaryWriter& out, const FileStamp& s) {
    out.WriteU32(s.attributes);
    out.WriteU64(s.creationTime);
    out.WriteU64(s.lastAccessTime);
    out.WriteU64(s.lastWriteTime);
    out.WriteU32(s.sizeHigh);
    out.WriteU32(s.sizeLow);
    out.WriteU32(s.reserved0);
    out.WriteU32(s.reserved1);
    WriteWideString(out, s.GetName(), kMaxPathChars);
    return WriteWideString(out, s.GetShortName(), kMaxShortNameChars);
}

bool ReadStamp(BinaryReader& in, FileStamp& s, std::uint32_t version) {
    std::uint64_t creation = 0, access = 0, write = 0;
    in.ReadU32(s.attributes);
    in.ReadU64(creation);
    in.ReadU64(access);
    in.ReadU64(write);
    in.ReadU32(s.sizeHigh);
    in.ReadU32(s.sizeLow);
    in.ReadU32(s.reserved0);
    in.ReadU32(s.reserved1);
    s.creationTime = creation;
    s.lastAccessTime = access;
    s.lastWriteTime = write;
    CString name, shortName;
    if (version >= 3) {
        ReadWideString(in, name, kMaxPathChars);
        ReadWideString(in, shortName, kMaxShortNameChars);
    } else {
        ReadNarrowString(in, name, kMaxPathChars);
        ReadNarrowString(in, shortName, kMaxShortNameChars);
    }
    if (!in.good()) return false;
    s.SetNames(name, shortName);
    return true;
}

bool WriteStampPair(BinaryWriter& out, const FileStampPair* pair) {
    if (!pair) {
        static const FileStamp empty;
        WriteStamp(out, empty);
        return WriteStamp(out, empty);
    }
    WriteStamp(out, pair->right);
    return WriteStamp(out, pair->left);
}

bool ReadStampPair(BinaryReader& in, FileStampPair& pair, std::uint32_t version) {
    if (version == 1) {
        if (!ReadStamp(in, pair.left, version)) return false;
        pair.right = pair.left;
        return true;
    }
    return ReadStamp(in, pair.right, version) && ReadStamp(in, pair.left, version);
}
