#include "engine/format/blob_store.h"

#include <cstring>
#include <new>

#include "engine/format/binary_stream.h"
#include "platform/core/win_error.h"

const Blob* BlobStore::Find(std::int32_t id) const {
    auto it = blobs_.find(id);
    return it == blobs_.end() ? nullptr : &it->second;
}

std::uint32_t BlobStore::GetInt(std::int32_t id, std::uint32_t def) const {
    const Blob* b = Find(id);
    if (!b || b->size != 4) return def;
    return std::uint32_t(b->data[0]) | std::uint32_t(b->data[1]) << 8 | std::uint32_t(b->data[2]) << 16 |
           std::uint32_t(b->data[3]) << 24;
}

const std::uint8_t* BlobStore::GetData(std::int32_t id, const std::uint8_t* def) const {
    const Blob* b = Find(id);
    return b && b->size != 0 ? b->data.data() : def;
}

bool BlobStore::Set(std::int32_t id, const void* data, std::size_t size) {
    if (!data) size = 0;
    if (size > UINT32_MAX) return false;
    try {
        std::vector<std::uint8_t> copy(size);
        if (size != 0) std::memcpy(copy.data(), data, size);
        Blob& b = blobs_[id];
        b.id = std::uint32_t(id);
        b.size = std::uint32_t(size);
        b.data = std::move(copy);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool BlobStore::Write(BinaryWriter& out) const {
    out.WriteU32(std::uint32_t(blobs_.size()));
    for (const auto& [id, b] : blobs_) {
        out.WriteU32(std::uint32_t(id));
        out.WriteU32(b.size);
        out.Write(b.data.data(), b.size);
    }
    return out.good();
}

bool BlobStore::Read(BinaryReader& in) {
    Clear();
    std::uint32_t count = 0;
    if (!in.ReadU32(count)) return false;
    // Each blob takes at least its two words: a count the rest cannot hold is damage.
    if (count > in.Remaining() / 8) {
        in.SetFail(win32::ERROR_INVALID_DATA);
        return false;
    }
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t id = 0, size = 0;
        if (!in.ReadU32(id) || !in.ReadU32(size)) return false;
        if (size > in.Remaining()) {
            in.SetFail(win32::ERROR_INVALID_DATA);
            return false;
        }
        try {
            data.resize(size);
        } catch (const std::bad_alloc&) {
            in.SetFail(win32::ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        if (!in.Read(data.data(), size)) return false;
        if (!Set(std::int32_t(id), data.data(), size)) {
            in.SetFail(win32::ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
    }
    return true;
}

bool operator==(const BlobStore& a, const BlobStore& b) {
    if (a.blobs_.size() != b.blobs_.size()) return false;
    for (auto ia = a.blobs_.begin(), ib = b.blobs_.begin(); ia != a.blobs_.end(); ++ia, ++ib)
        if (ia->first != ib->first || ia->second.data != ib->second.data) return false;
    return true;
}
