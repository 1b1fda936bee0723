#include <filesystem>
#include <fstream>

#include "differential/native_store.h"
#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_profile_store.h"
#include "platform/posix/posix_temp_prefix.h"

namespace rolvex::differential {

struct NativeStore::Parts {
  TempPrefix prefix;
  DriveModel drives{prefix.path()};
  PosixProfileStore store{drives};
};

NativeStore::NativeStore() : parts_(std::make_unique<Parts>()) {
  folder_.path_of = [](int n) {
    return "C:\\case" + std::to_string(n) + ".ini";
  };
  folder_.write_bytes = [this](int n, const std::string& bytes) {
    TempPrefix::Write(
        parts_->prefix.drive_c() + "/case" + std::to_string(n) + ".ini", bytes);
  };
}

NativeStore::~NativeStore() = default;

ProfileStore& NativeStore::store() { return parts_->store; }

}  // namespace rolvex::differential
