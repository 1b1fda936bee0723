#include "platform/sha256.h"

namespace rolvex {

std::string Sha256::HexDigest() {
  unsigned char digest[32];
  Finish(digest);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * sizeof digest);
  for (unsigned char byte : digest) {
    hex.push_back(kHex[byte >> 4]);
    hex.push_back(kHex[byte & 15]);
  }
  return hex;
}

}  // namespace rolvex
