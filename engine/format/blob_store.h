#pragma once
// BlobStore: a profile's or project's opaque settings, byte blobs keyed by a signed
// 32-bit id, kept and written in ascending id order.
//
// On disk: u32 count, then per blob in ascending id order u32 id, u32 size, size bytes.
//
// A value type owned by its document (CSyncDataBase holds one); not thread-safe.
// Nothing throws: a blob whose memory cannot be allocated makes Set return false.
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

class BinaryReader;
class BinaryWriter;

struct Blob {
    std::uint32_t id = 0;
    std::uint32_t size = 0;
    std::vector<std::uint8_t> data;  // size bytes
};

class BlobStore {
public:
    // Deletes every blob.
    void Clear() { blobs_.clear(); }
    // The blob with this id, or null.
    const Blob* Find(std::int32_t id) const;
    // The u32 stored when the blob exists and holds exactly 4 bytes, else def.
    std::uint32_t GetInt(std::int32_t id, std::uint32_t def) const;
    // The blob's bytes when it exists and holds at least one byte, else def. The pointer
    // stays valid until the blob is set again, the store is cleared or read.
    const std::uint8_t* GetData(std::int32_t id, const std::uint8_t* def) const;
    // Replaces the blob's contents with a copy of size bytes (an existing blob keeps its
    // place) or inserts a new blob; size 0 or null data stores an empty blob. False when
    // memory runs out (the store is then unchanged).
    bool Set(std::int32_t id, const void* data, std::size_t size);
    std::size_t Count() const { return blobs_.size(); }
    const std::map<std::int32_t, Blob>& Blobs() const { return blobs_; }

    // Writes the store; false when the stream failed.
    bool Write(BinaryWriter& out) const;
    // Clears, then reads a store written by Write. A count or size larger than the rest
    // of the stream can hold, or a stream that ends early, fails the stream; the store
    // then holds the blobs read before the failure.
    bool Read(BinaryReader& in);

    friend bool operator==(const BlobStore& a, const BlobStore& b);

private:
    std::map<std::int32_t, Blob> blobs_;
};
