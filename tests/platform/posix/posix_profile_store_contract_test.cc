// The POSIX profile store over a temporary prefix keeps the profile
// contract; its own cases (atomic replacement, permissions, locks) are in
// posix_profile_store_test.cc.
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_temp_prefix.h"
#include "platform/profile_store_contract.h"

namespace rolvex {
namespace {

class PosixRig : public ProfileStoreRig {
 public:
  PosixRig() : drives_(temp_.path()), store_(drives_) {}

  ProfileStore& store() override { return store_; }
  std::string PathOf(const std::string& name) override { return "C:\\" + name; }
  void WriteBytes(const std::string& name, const std::string& bytes) override {
    TempPrefix::Write(Host(name), bytes);
  }
  std::optional<std::string> ReadBytes(const std::string& name) override {
    struct stat st;
    if (stat(Host(name).c_str(), &st) != 0) return std::nullopt;
    return TempPrefix::Read(Host(name));
  }

 private:
  std::string Host(std::string name) const {
    std::replace(name.begin(), name.end(), '\\', '/');
    return temp_.drive_c() + "/" + name;
  }

  TempPrefix temp_;
  DriveModel drives_;
  PosixProfileStore store_;
};

std::unique_ptr<ProfileStoreRig> MakePosixRig() {
  return std::make_unique<PosixRig>();
}

INSTANTIATE_TEST_SUITE_P(Posix, ProfileStoreContract,
                         ::testing::Values(&MakePosixRig));

}  // namespace
}  // namespace rolvex
