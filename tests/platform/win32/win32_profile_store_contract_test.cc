// The Win32 profile store, that is kernel32's profile functions behind our
// own refusals, keeps the profile contract; where Wine, on which the tests
// run, departs from Windows the case says so and is skipped here.
#include <memory>

#include "platform/profile_store_contract.h"
#include "platform/win32/win32_profile_store.h"
#include "platform/win32/win32_temp_folder.h"

namespace rolvex {
namespace {

class Win32Rig : public ProfileStoreRig {
 public:
  ProfileStore& store() override { return store_; }
  std::string PathOf(const std::string& name) override { return dir_ / name; }
  void WriteBytes(const std::string& name, const std::string& bytes) override {
    dir_.Write(name, bytes);
  }
  std::optional<std::string> ReadBytes(const std::string& name) override {
    if (GetFileAttributesA(PathOf(name).c_str()) == INVALID_FILE_ATTRIBUTES) {
      return std::nullopt;
    }
    return dir_.Read(name);
  }
  const char* Deviation(ProfileQuirk quirk) const override {
    switch (quirk) {
      case ProfileQuirk::kRewritesWholeFile:
        return "Wine writes the whole file back from what it parsed: every "
               "line ends in CR LF, blank lines and the blanks around \"=\" "
               "go, a new key goes after the comments of its section";
      case ProfileQuirk::kKeepsTrailingBlanksOfNewNames:
        return "Wine writes a new section \" Sec \" as \"[Sec ]\" and a new "
               "key \" k \" as \"k =\"";
      case ProfileQuirk::kReadsCommentLinesAsEntries:
        return "Wine reads the line \";c=comment\" as the entry \";c\"";
    }
    return nullptr;
  }

 private:
  Win32TempFolder dir_;
  Win32ProfileStore store_;
};

std::unique_ptr<ProfileStoreRig> MakeWin32Rig() {
  return std::make_unique<Win32Rig>();
}

INSTANTIATE_TEST_SUITE_P(Win32, ProfileStoreContract,
                         ::testing::Values(&MakeWin32Rig));

}  // namespace
}  // namespace rolvex
