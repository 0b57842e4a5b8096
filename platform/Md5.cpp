#include "platform/Md5.h"

#include <openssl/evp.h>

#include <memory>

namespace navoket {
namespace {

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextDeleter>;

}  // namespace

Text md5Hex(const Bytes& bytes) {
    const DigestContext context(EVP_MD_CTX_new());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
        return Text();
    }
    static constexpr char hexDigits[] = "0123456789abcdef";
    Text hex;
    hex.reserve(2 * length);
    for (unsigned int at = 0; at < length; ++at) {
        hex += hexDigits[digest[at] >> 4];
        hex += hexDigits[digest[at] & 0x0F];
    }
    return hex;
}

}  // namespace navoket
