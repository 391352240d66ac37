// A small SHA-1 for the tests only: the product hashes with CryptoAPI, and the tests need
// a reference to check the digest texts end to end against published vectors.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zm::testing_support {

std::array<std::uint8_t, 20> Sha1(std::string_view bytes);

}  // namespace zm::testing_support
