#include "passes/file_tree.h"

#include <gtest/gtest.h>

#include "fakes/installer_rig.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

constexpr char kRoot[] = "C:\\SP\\Standard";

struct Listed {
  std::string file_name, relative_path;
  bool folder;
  bool operator==(const Listed&) const = default;
};

std::vector<Listed> Entries(const PassState& state) {
  std::vector<Listed> entries;
  for (int i = 1; i <= state.file_count; ++i) {
    const FileEntry& e = state.file_list[i];
    entries.push_back(
        {e.file_name, e.relative_path, (e.attributes & kAttrDirectory) != 0});
  }
  return entries;
}

class FileTreeTest : public ::testing::Test {
 protected:
  InstallerRig rig;
  MemoryFileSystem& fs = rig.memory;
};

TEST_F(FileTreeTest, ListsTheRootBeforeTheFoldersBreadthFirst) {
  fs.AddFile("C:\\SP\\Standard\\a.txt");
  fs.AddFile("C:\\SP\\Standard\\D\\b.txt");
  fs.AddFile("C:\\SP\\Standard\\E\\F\\deep.txt");
  fs.AddFolder("C:\\SP\\Standard\\E\\Empty");
  fs.AddFile("C:\\SP\\Standard\\E\\e.txt");

  EinlesenDateiBaum(rig.state, kRoot, "X");

  const std::vector<Listed> expected = {
      {"a.txt", "", false},  {"", "D", true},
      {"", "E", true},       {"b.txt", "D", false},
      {"e.txt", "E", false}, {"", "E\\Empty", true},
      {"", "E\\F", true},    {"deep.txt", "E\\F", false}};
  EXPECT_EQ(Entries(rig.state), expected);
}

TEST_F(FileTreeTest, HiddenAndSystemEntriesAreListedWithTheirAttributes) {
  fs.AddFile("C:\\SP\\Standard\\h.txt", "", 1, kAttrHidden);
  fs.AddFile("C:\\SP\\Standard\\s.txt", "", 1, kAttrSystem | kAttrReadOnly);
  fs.AddFolder("C:\\SP\\Standard\\Hid", kAttrHidden);
  fs.AddFile("C:\\SP\\Standard\\Hid\\in.txt");

  EinlesenDateiBaum(rig.state, kRoot, "X");

  ASSERT_EQ(rig.state.file_count, 4);
  EXPECT_EQ(rig.state.file_list[1].file_name, "h.txt");
  EXPECT_EQ(rig.state.file_list[1].attributes, kAttrHidden);
  EXPECT_EQ(rig.state.file_list[2].relative_path, "Hid");
  EXPECT_EQ(rig.state.file_list[2].attributes, kAttrDirectory | kAttrHidden);
  EXPECT_EQ(rig.state.file_list[3].attributes, kAttrSystem | kAttrReadOnly);
  EXPECT_EQ(rig.state.file_list[4].file_name, "in.txt");
}

TEST_F(FileTreeTest, AMissingOrEmptyRootListsNothing) {
  EinlesenDateiBaum(rig.state, kRoot, "X");
  EXPECT_EQ(rig.state.file_count, 0);
  fs.AddFolder(kRoot);
  EinlesenDateiBaum(rig.state, kRoot, "X");
  EXPECT_EQ(rig.state.file_count, 0);
  EXPECT_EQ(rig.state.file_list_capacity, 0);
}

TEST_F(FileTreeTest, ASecondListingReusesTheListAndOnlyCountsItsOwnEntries) {
  fs.AddFile("C:\\SP\\Standard\\a.txt");
  fs.AddFile("C:\\SP\\Standard\\b.txt");
  fs.AddFile("C:\\SP\\Ini\\x.ini");
  EinlesenDateiBaum(rig.state, kRoot, "X");
  EinlesenDateiBaum(rig.state, "C:\\SP\\Ini", "X");

  EXPECT_EQ(rig.state.file_count, 1);
  EXPECT_EQ(rig.state.file_list_capacity, 1000);
  EXPECT_EQ(rig.state.file_list[1].file_name, "x.ini");
  // Left from the first listing; nothing reads it.
  EXPECT_EQ(rig.state.file_list[2].file_name, "b.txt");
}

TEST_F(FileTreeTest, TheListGrowsInStepsOfAThousandUpTo32000Entries) {
  for (int i = 0; i < 32000; ++i) {
    fs.AddFile("C:\\SP\\Standard\\f" + std::to_string(i));
  }
  EinlesenDateiBaum(rig.state, kRoot, "X");
  EXPECT_EQ(rig.state.file_count, 32000);
  EXPECT_EQ(rig.state.file_list_capacity, 32000);

  fs.AddFile("C:\\SP\\Standard\\one-too-many");
  try {
    EinlesenDateiBaum(rig.state, kRoot, "X");
    FAIL() << "no overflow";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), kErrOverflow);
  }
  EXPECT_EQ(rig.state.file_count, 32000);
  EXPECT_EQ(rig.state.file_list_capacity, 32000);
}

TEST_F(FileTreeTest, AnEntryThatVanishesBeforeItsAttributesAreReadFails) {
  fs.AddFile("C:\\SP\\Standard\\gone.txt");
  rig.files.Fail("GetAttr", "gone.txt", kErrFileNotFound);
  EXPECT_THROW(EinlesenDateiBaum(rig.state, kRoot, "X"), RunError);
}

TEST_F(FileTreeTest, LinkedFoldersAreListedButNotEntered) {
  fs.AddFolder("C:\\SP\\Standard\\Link", kAttrReparsePoint);
  fs.AddFile("C:\\SP\\Standard\\Link\\inside.txt");
  EinlesenDateiBaum(rig.state, kRoot, "X");
  ASSERT_EQ(rig.state.file_count, 1);
  EXPECT_EQ(rig.state.file_list[1].relative_path, "Link");
}

TEST_F(FileTreeTest, AFolderNestedBeyondWhatWindowsCanHoldEndsTheListing) {
  std::string path = kRoot;
  for (int depth = 0; depth < 200; ++depth) path += "\\ab";
  fs.AddFolder(path);
  try {
    EinlesenDateiBaum(rig.state, kRoot, "X");
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), kErrPathFileAccess);
  }
  // Every listed folder is one that Windows could have held.
  for (int i = 1; i <= rig.state.file_count; ++i) {
    EXPECT_LE(rig.state.file_list[i].relative_path.size(),
              kMaxRelativeFolder + 3);
  }
}

}  // namespace
}  // namespace rolvex
