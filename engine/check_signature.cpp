#include <algorithm>

#include "engine/binary_stream.h"
#include "engine/error_info.h"
#include "engine/signed_stream.h"
#include "platform/core/md5.h"
#include "platform/core/win_error.h"

bool CheckSignature(BinaryReader& in, ErrorInfo* err) {
    auto systemError = [&] {
        if (err) err->Set(ERROR_CATEGORY_SYSTEM, in.error() ? in.error() : win32::ERROR_INVALID_FUNCTION, 0, nullptr);
        return false;
    };
    auto corrupted = [&] {
        if (err) err->Set(ERROR_CATEGORY_PROGRAM, ERRCODE_BAD_SIGNATURE, 0, nullptr);
        return false;
    };
    if (in.fail()) return systemError();
    const std::uint64_t size = in.Size();
    if (size < 16) return corrupted();
    if (!in.Seek(0)) return systemError();
    plat::Md5 md5;
    std::uint8_t buf[8192];
    for (std::uint64_t left = size - 16; left != 0;) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(left, sizeof buf));
        if (!in.Read(buf, n)) return systemError();
        md5.Update(buf, n);
        left -= n;
    }
    plat::Md5Digest stored{}, digest{};
    if (!in.Read(stored.data(), stored.size())) return systemError();
    if (!md5.Final(digest)) {
        if (err) err->Set(ERROR_CATEGORY_SYSTEM, win32::ERROR_INVALID_FUNCTION, 0, nullptr);
        return false;
    }
    if (stored != digest) return corrupted();
    if (!in.Seek(0)) return systemError();
    return in.good();
}
