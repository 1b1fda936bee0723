// The memory fake the layers above the platform are tested with keeps the
// profile contract too, so that those tests see what the PCs do.
#include <memory>

#include "fakes/fake_settings.h"
#include "platform/profile_store_contract.h"

namespace rolvex {
namespace {

class MemoryRig : public ProfileStoreRig {
 public:
  MemoryRig() { store_.MakeFolder(kFolder); }

  ProfileStore& store() override { return store_; }
  std::string PathOf(const std::string& name) override {
    return std::string(kFolder) + "\\" + name;
  }
  void WriteBytes(const std::string& name, const std::string& bytes) override {
    store_.SetFileBytes(PathOf(name), bytes);
  }
  std::optional<std::string> ReadBytes(const std::string& name) override {
    return store_.FileBytes(PathOf(name));
  }

 private:
  static constexpr char kFolder[] = "C:\\Contract";
  MemoryProfileStore store_;
};

std::unique_ptr<ProfileStoreRig> MakeMemoryRig() {
  return std::make_unique<MemoryRig>();
}

INSTANTIATE_TEST_SUITE_P(Memory, ProfileStoreContract,
                         ::testing::Values(&MakeMemoryRig));

}  // namespace
}  // namespace rolvex
