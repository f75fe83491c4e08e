// SHA-256 of bytes fed piece by piece: the fixity an archive keeps beside what it extracted, in
// the form `sha256sum -c` checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orv {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const std::uint8_t* data, std::size_t length);
    // The digest as 64 lower-case hexadecimal digits; the hash is used up after it.
    std::string HexDigest();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

// One line of a SHA256SUMS file for name, escaped as GNU sha256sum escapes it: a name with a
// backslash or a line break is written with "\\" and "\n" and the line begins with '\'.
std::string Sha256SumsLine(const std::string& hexDigest, const std::string& name);

}  // namespace orv
