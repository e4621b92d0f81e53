#pragma once
// MD5 digests (RFC 1321) over OpenSSL's EVP interface: the signature that ends every
// profile and project file.
//
// Md5 is incremental: Update any number of times, then Final. One object is used by one
// thread at a time. Nothing throws except std::bad_alloc; a failure of the digest
// library (MD5 disabled by a FIPS-only configuration, out of memory) makes Final return
// false, and every later call does nothing until Reset.
#include <array>
#include <cstddef>
#include <cstdint>

namespace plat {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    // Starts a new digest.
    void Reset();
    void Update(const void* data, std::size_t n);
    // The digest of everything given since the last Reset (or construction); the object
    // must be Reset before it is used again. False when the digest library failed.
    bool Final(Md5Digest& out);
    bool ok() const { return ok_; }

    // One shot: the digest of n bytes; false when the digest library failed.
    static bool Of(const void* data, std::size_t n, Md5Digest& out);

private:
    void* ctx_ = nullptr;  // EVP_MD_CTX
    bool ok_ = false;
};

}  // namespace plat
