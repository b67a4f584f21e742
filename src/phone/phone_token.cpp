#include "phone_token.h"

#include <sodium.h>

#include <array>
#include <cstdlib>

namespace quillmark {

std::string NewPhoneToken() {
    if (sodium_init() < 0) std::abort();  // no randomness: never serve with a guessable token
    std::array<unsigned char, 16> bytes{};
    randombytes_buf(bytes.data(), bytes.size());
    std::array<char, 33> hex{};
    sodium_bin2hex(hex.data(), hex.size(), bytes.data(), bytes.size());
    return std::string(hex.data(), 32);
}

bool SameToken(std::string_view given, std::string_view token) {
    if (given.size() != token.size() || token.empty()) return false;
    return sodium_memcmp(given.data(), token.data(), token.size()) == 0;
}

}  // namespace quillmark
