#include <nettle/sha2.h>

#include "platform/sha256.h"

namespace rolvex {

struct Sha256::State {
  sha256_ctx context;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  sha256_init(&state_->context);
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t size) {
  sha256_update(&state_->context, size, static_cast<const uint8_t*>(data));
}

void Sha256::Finish(unsigned char digest[32]) {
  sha256_digest(&state_->context, SHA256_DIGEST_SIZE, digest);
}

}  // namespace rolvex
