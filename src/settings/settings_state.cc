#include "settings/settings_state.h"

#include "platform/run_error.h"

namespace rolvex {

DirectoryParameter& DirectoryParameters::row(int row) {
  if (row < 1 || row > kRows) throw RunError::Of(kErrSubscript);
  return rows_[row - 1];
}

const DirectoryParameter& DirectoryParameters::row(int row) const {
  if (row < 1 || row > kRows) throw RunError::Of(kErrSubscript);
  return rows_[row - 1];
}

}  // namespace rolvex
