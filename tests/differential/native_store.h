// This build's profile store over a fresh folder of its own, for the
// replay: the POSIX store over a temporary prefix, or kernel32's profile
// functions over a temporary Windows folder. The folder and its files are
// removed when the object goes.
#ifndef ROLVEX_TESTS_DIFFERENTIAL_NATIVE_STORE_H_
#define ROLVEX_TESTS_DIFFERENTIAL_NATIVE_STORE_H_

#include <memory>

#include "differential/profile_script.h"
#include "platform/profile_store.h"

namespace rolvex::differential {

class NativeStore {
 public:
  NativeStore();
  ~NativeStore();
  NativeStore(const NativeStore&) = delete;
  NativeStore& operator=(const NativeStore&) = delete;

  ProfileStore& store();
  const ReplayFolder& folder() const { return folder_; }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  ReplayFolder folder_;
};

}  // namespace rolvex::differential

#endif  // ROLVEX_TESTS_DIFFERENTIAL_NATIVE_STORE_H_
