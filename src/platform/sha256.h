// SHA-256 as the platform computes it: CNG (bcrypt.dll) on Windows, Nettle
// on Linux. Never hand-written: a digest that vouches for a file has to be
// the one the platform's maintainers keep right and fast.
#ifndef ROLVEX_PLATFORM_SHA256_H_
#define ROLVEX_PLATFORM_SHA256_H_

#include <cstddef>
#include <memory>
#include <string>

namespace rolvex {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Update(const void* data, std::size_t size);
  // The digest of everything passed to Update. Ends the computation: the
  // object is not used afterwards.
  void Finish(unsigned char digest[32]);
  // The same, as 64 lowercase hex digits (sha256sum's form).
  std::string HexDigest();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_SHA256_H_
