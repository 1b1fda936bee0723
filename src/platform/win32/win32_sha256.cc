#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <stdexcept>

#include "platform/sha256.h"

namespace rolvex {
namespace {

// The algorithm provider is opened once and kept for the process: opening
// it is the expensive part of CNG, and a provider serves any number of
// hashes, from any thread.
BCRYPT_ALG_HANDLE Provider() {
  static const BCRYPT_ALG_HANDLE provider = [] {
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(
            &opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
      throw std::runtime_error("SHA-256 is not available (bcrypt.dll)");
    }
    return opened;
  }();
  return provider;
}

}  // namespace

struct Sha256::State {
  BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  // With no object buffer given, CNG allocates the hash object itself
  // (Windows 7 and later).
  if (!BCRYPT_SUCCESS(BCryptCreateHash(Provider(), &state_->hash, nullptr, 0,
                                       nullptr, 0, 0))) {
    throw std::runtime_error("SHA-256 is not available (BCryptCreateHash)");
  }
}

Sha256::~Sha256() {
  if (state_->hash) BCryptDestroyHash(state_->hash);
}

void Sha256::Update(const void* data, std::size_t size) {
  auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
  // BCryptHashData takes at most 4 GiB at a time.
  while (size > 0) {
    const ULONG piece = size > 0x40000000u ? 0x40000000u : ULONG(size);
    if (!BCRYPT_SUCCESS(BCryptHashData(state_->hash, bytes, piece, 0))) {
      throw std::runtime_error("SHA-256 failed (BCryptHashData)");
    }
    bytes += piece;
    size -= piece;
  }
}

void Sha256::Finish(unsigned char digest[32]) {
  if (!BCRYPT_SUCCESS(BCryptFinishHash(state_->hash, digest, 32, 0))) {
    throw std::runtime_error("SHA-256 failed (BCryptFinishHash)");
  }
}

}  // namespace rolvex
