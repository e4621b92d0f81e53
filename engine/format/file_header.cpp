#include "engine/format/file_header.h"

#include <cstring>

#include "engine/format/binary_stream.h"

namespace {
void CopyMagic(char (&dst)[FileHeader::kMagicSize], const char* text) {
    std::memset(dst, 0, sizeof dst);
    for (std::size_t i = 0; text && i < sizeof dst && text[i] != '\0'; ++i) dst[i] = text[i];
}
}  // namespace

FileHeader::FileHeader(const char* text) : magicRead{}, version{} { CopyMagic(magic, text); }

void FileHeader::SetVersion(std::uint32_t w1, std::uint32_t w2, std::uint32_t w3, std::uint32_t w4) {
    version[0] = w1;
    version[1] = w2;
    version[2] = w3;
    version[3] = w4;
}

bool FileHeader::Write(BinaryWriter& out) const {
    out.Write(magic, sizeof magic);
    for (std::uint32_t w : version) out.WriteU32(w);
    return out.good();
}

bool FileHeader::Read(BinaryReader& in) {
    in.Read(magicRead, sizeof magicRead);
    for (std::uint32_t& w : version) in.ReadU32(w);
    return in.good();
}

bool FileHeader::Verify(const char* alternative) const {
    if (std::memcmp(magicRead, magic, sizeof magic) == 0) return true;
    if (!alternative) return false;
    char alt[kMagicSize];
    CopyMagic(alt, alternative);
    return std::memcmp(magicRead, alt, sizeof alt) == 0;
}
