#include "platform/run_error.h"

#include <gtest/gtest.h>

namespace rolvex {
namespace {

TEST(RunErrorTest, CarriesTheNumbersOperatorsKnow) {
  RunError e = RunError::Of(kErrFileNotFound);
  EXPECT_EQ(e.number(), 53);
  EXPECT_EQ(e.description(), "File not found");
  EXPECT_EQ(e.source(), "Rolvex");
  EXPECT_EQ(RunError::Of(kErrPermissionDenied).description(),
            "Permission denied");
  EXPECT_EQ(RunError::Of(kErrPathNotFound).description(), "Path not found");
  EXPECT_EQ(RunError::Of(12345).description(),
            "Application-defined or object-defined error");
}

}  // namespace
}  // namespace rolvex
