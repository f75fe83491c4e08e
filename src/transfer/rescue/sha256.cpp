#include "transfer/rescue/sha256.h"

#include <openssl/evp.h>

#include <array>

namespace orv {

struct Sha256::Context {
    struct Free {
        void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> ctx{EVP_MD_CTX_new()};
    bool ok = false;
};

Sha256::Sha256() : m_context(std::make_unique<Context>()) {
    m_context->ok =
        m_context->ctx && EVP_DigestInit_ex(m_context->ctx.get(), EVP_sha256(), nullptr);
}

Sha256::~Sha256() = default;

void Sha256::Update(const std::uint8_t* data, std::size_t length) {
    if (m_context->ok && length > 0)
        m_context->ok = EVP_DigestUpdate(m_context->ctx.get(), data, length) == 1;
}

std::string Sha256::HexDigest() {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    // A library that failed leaves no digest at all rather than a wrong one.
    if (!m_context->ok || EVP_DigestFinal_ex(m_context->ctx.get(), digest.data(), &length) != 1)
        return {};
    m_context->ok = false;
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
    }
    return text;
}

std::string Sha256SumsLine(const std::string& hexDigest, const std::string& name) {
    std::string escaped;
    bool escapes = false;
    for (char c : name) {
        if (c == '\\') {
            escaped += "\\\\";
            escapes = true;
        } else if (c == '\n') {
            escaped += "\\n";
            escapes = true;
        } else {
            escaped += c;
        }
    }
    return (escapes ? "\\" : "") + hexDigest + "  " + escaped + "\n";
}

}  // namespace orv
