#include "platform/core/md5.h"

#include <openssl/evp.h>

namespace plat {

namespace {
EVP_MD_CTX* Ctx(void* p) { return static_cast<EVP_MD_CTX*>(p); }
}  // namespace

Md5::Md5() : ctx_(EVP_MD_CTX_new()) { Reset(); }

Md5::~Md5() { EVP_MD_CTX_free(Ctx(ctx_)); }

void Md5::Reset() {
    ok_ = ctx_ != nullptr && EVP_DigestInit_ex(Ctx(ctx_), EVP_md5(), nullptr) == 1;
}

void Md5::Update(const void* data, std::size_t n) {
    if (ok_ && n != 0) ok_ = EVP_DigestUpdate(Ctx(ctx_), data, n) == 1;
}

bool Md5::Final(Md5Digest& out) {
    unsigned int len = 0;
    if (ok_) ok_ = EVP_DigestFinal_ex(Ctx(ctx_), out.data(), &len) == 1 && len == out.size();
    // A finished context needs a Reset before it takes more data.
    bool result = ok_;
    ok_ = false;
    return result;
}

bool Md5::Of(const void* data, std::size_t n, Md5Digest& out) {
    Md5 md5;
    md5.Update(data, n);
    return md5.Final(out);
}

}  // namespace plat
