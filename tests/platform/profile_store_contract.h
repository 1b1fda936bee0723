// One suite for the promises of ProfileStore (platform/profile_store.h), run
// over every implementation, as LevelDB runs one env_test.cc on every
// platform. An implementation takes part with a rig and one line:
//
//   INSTANTIATE_TEST_SUITE_P(Posix, ProfileStoreContract,
//                            ::testing::Values(&MakePosixProfileStoreRig));
//
// The cases reach the files only through the rig, by name, so they hold for
// a drive model over a prefix, a Windows folder and bytes in memory alike.
#ifndef ROLVEX_TESTS_PLATFORM_PROFILE_STORE_CONTRACT_H_
#define ROLVEX_TESTS_PLATFORM_PROFILE_STORE_CONTRACT_H_

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/profile_store.h"

namespace rolvex {

// Places where an implementation knowingly departs from Windows.
enum class ProfileQuirk {
  // A write rewrites the whole file from what it parsed instead of editing
  // the bytes in place.
  kRewritesWholeFile,
  // A new section or key asked for as " A " is written as "A ".
  kKeepsTrailingBlanksOfNewNames,
  // A line ";c=x" is read as the entry ";c".
  kReadsCommentLinesAsEntries,
};

// One implementation with a folder of its own for the files of one case.
class ProfileStoreRig {
 public:
  virtual ~ProfileStoreRig() = default;

  virtual ProfileStore& store() = 0;
  // The Windows path of `name` in the rig's folder, which exists and is
  // empty when the rig is made; `name` may hold "\" for a folder below it,
  // which does not exist.
  virtual std::string PathOf(const std::string& name) = 0;
  // Puts `bytes` into the file `name` of the folder, past the store.
  virtual void WriteBytes(const std::string& name,
                          const std::string& bytes) = 0;
  // The bytes of the file `name`; nullopt when there is no such file.
  virtual std::optional<std::string> ReadBytes(const std::string& name) = 0;
  // Why the implementation departs from Windows in `quirk`, or nullptr when
  // it does not.
  virtual const char* Deviation(ProfileQuirk quirk) const {
    (void)quirk;
    return nullptr;
  }
};

using MakeProfileStoreRig = std::unique_ptr<ProfileStoreRig> (*)();

class ProfileStoreContract
    : public ::testing::TestWithParam<MakeProfileStoreRig> {
 protected:
  ProfileStoreContract() : rig_(GetParam()()), store_(rig_->store()) {}

  // The value of `key` with an all-blank default and a buffer of 255, as
  // the installer reads its settings.
  std::string Get(const std::string& section, const std::string& key,
                  const std::string& name) {
    return store_.GetString(section, key, std::string(255, ' '), 255,
                            rig_->PathOf(name));
  }
  bool Write(const std::string& section, const std::string& key,
             const std::string& value, const std::string& name) {
    return store_.WriteString(section, key, value, rig_->PathOf(name));
  }

  std::unique_ptr<ProfileStoreRig> rig_;
  ProfileStore& store_;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_PLATFORM_PROFILE_STORE_CONTRACT_H_
