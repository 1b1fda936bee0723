#include <windows.h>

#include "differential/native_store.h"
#include "platform/win32/win32_profile_store.h"
#include "platform/win32/win32_temp_folder.h"

namespace rolvex::differential {

struct NativeStore::Parts {
  Win32TempFolder dir;
  Win32ProfileStore store;
};

NativeStore::NativeStore() : parts_(std::make_unique<Parts>()) {
  folder_.path_of = [this](int n) {
    return parts_->dir / ("case" + std::to_string(n) + ".ini");
  };
  folder_.write_bytes = [this](int n, const std::string& bytes) {
    parts_->dir.Write("case" + std::to_string(n) + ".ini", bytes);
  };
}

NativeStore::~NativeStore() = default;

ProfileStore& NativeStore::store() { return parts_->store; }

}  // namespace rolvex::differential
