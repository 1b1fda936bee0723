#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace rolvex {
namespace {

// The test vectors of FIPS 180-2, fed in pieces as a file is read.
TEST(Sha256Test, GivesTheStandardDigests) {
  Sha256 empty;
  EXPECT_EQ(empty.HexDigest(),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  Sha256 abc;
  abc.Update("a", 1);
  abc.Update("bc", 2);
  EXPECT_EQ(abc.HexDigest(),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  Sha256 million;
  const std::string block(1000, 'a');
  for (int i = 0; i < 1000; ++i) million.Update(block.data(), block.size());
  EXPECT_EQ(million.HexDigest(),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace rolvex
