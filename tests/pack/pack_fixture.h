// A pack in a fresh folder for each test, checked in-process.
#ifndef ROLVEX_TESTS_PACK_PACK_FIXTURE_H_
#define ROLVEX_TESTS_PACK_PACK_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pack/pack_check.h"

namespace rolvex {

namespace fs = std::filesystem;

inline constexpr std::int64_t kNow = 1'800'000'000;

inline fs::path Host(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// "rule tree/path:line", the place of a finding as the tests name it.
inline std::string Named(const PackFinding& f) {
  return f.rule + " " + f.tree + "/" + f.path + ":" + std::to_string(f.line);
}

inline std::vector<std::string> Named(
    const std::vector<PackFinding>& findings) {
  std::vector<std::string> names;
  for (const PackFinding& f : findings) names.push_back(Named(f));
  return names;
}

// A pack in a fresh folder of its own, removed afterwards.
class PackCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            (std::string("rolvex_pack_check_") + test->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Write(const std::string& relative, const std::string& bytes) {
    const fs::path file = root_ / Host(relative);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

  // Settings and texts that are complete, so that a test sees its own
  // findings only.
  void WriteSettings() {
    Write("Rolvex.ini",
          "[Intern]\r\nSprache=DE\r\nText1=a\r\nText2=b\r\nText3=c\r\nOK=o\r\n"
          "ESC=e\r\n[ServicePack]\r\nVersion=1.0\r\n");
    std::string texts = "[DE]\r\n";
    for (int n : {1, 2, 3, 14, 16, 17, 18, 19, 20, 21, 22, 28, 29, 30}) {
      texts += std::to_string(n) + "=t\r\n";
    }
    Write("Rolvex.txt", texts);
  }

  std::vector<PackFinding> Check() {
    std::vector<PackEntry> entries;
    EXPECT_EQ(ListPack(root_, entries), "");
    return CheckPack(entries, io_);
  }

  fs::path root_;
  std::ostringstream out_, err_;
  // A code page without Greek letters.
  PackToolIo io_{.out = out_,
                 .err = err_,
                 .to_terminal = [](const std::string& text) { return text; },
                 .pc_code_page_names =
                     [](const std::string& name) {
                       return name.find("\xCE\xB1") == std::string::npos;
                     },
                 .now = kNow};
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_PACK_PACK_FIXTURE_H_
