#include "platform/file_system_contract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/run_error.h"
#include "platform/sha256.h"

namespace rolvex {
namespace {

using List = std::vector<std::string>;

// 2001-02-03 04:05:06 UTC and 2020-09-13 12:26:40 UTC.
constexpr FileTime kOld = 981173106;
constexpr FileTime kNew = 1600000000;

template <typename Action>
int ErrorOf(Action&& action) {
  try {
    action();
  } catch (const RunError& e) {
    return e.number();
  }
  return 0;
}

// Every name a search gives, and "" once more after the last.
List All(FileSystem& fs, const std::string& path, int mask) {
  List names;
  for (std::string n = fs.Dir(path, mask); !n.empty(); n = fs.DirNext()) {
    names.push_back(n);
  }
  EXPECT_EQ(fs.DirNext(), "");
  return names;
}

// One entry of each kind a search has to tell apart.
void MakeOneOfEachKind(FileSystemWorld& world) {
  const std::string r = world.root() + "\\";
  world.WriteFile(r + "a.txt", "a", kOld);
  world.WriteFile(r + "ar.txt", "x", kOld);
  world.SetRawAttributes(r + "ar.txt", kAttrArchive);
  world.WriteFile(r + "ro.txt", "r", kOld);
  world.SetRawAttributes(r + "ro.txt", kAttrReadOnly);
  world.WriteFile(r + "h.txt", "h", kOld);
  world.SetRawAttributes(r + "h.txt", kAttrHidden);
  world.WriteFile(r + "s.sys", "s", kOld);
  world.SetRawAttributes(r + "s.sys", kAttrSystem);
  world.MakeFolder(r + "Sub");
  world.MakeFolder(r + "HSub");
  world.SetRawAttributes(r + "HSub", kAttrHidden);
  world.MakeFolder(r + "SSub");
  world.SetRawAttributes(r + "SSub", kAttrSystem);
}

TEST_P(FileSystemContract, EveryHidingBitOfAnEntryMustBeInTheMask) {
  MakeOneOfEachKind(world());
  const std::string all = At("*.*");
  EXPECT_EQ(All(fs(), all, 0), (List{"a.txt", "ar.txt", "ro.txt"}));
  // Hidden and system files, but no folder, not even a hidden one.
  EXPECT_EQ(All(fs(), all, 15),
            (List{"a.txt", "ar.txt", "h.txt", "ro.txt", "s.sys"}));
  // Folders that are neither hidden nor system, "." and "..", plain files.
  EXPECT_EQ(All(fs(), all, 16),
            (List{".", "..", "a.txt", "ar.txt", "ro.txt", "Sub"}));
  EXPECT_EQ(All(fs(), At("*"), 16),
            (List{".", "..", "a.txt", "ar.txt", "ro.txt", "Sub"}));
  EXPECT_EQ(All(fs(), all, 31),
            (List{".", "..", "a.txt", "ar.txt", "h.txt", "HSub", "ro.txt",
                  "s.sys", "SSub", "Sub"}));
  EXPECT_EQ(
      All(fs(), all, kAttrDirectory | kAttrHidden),
      (List{".", "..", "a.txt", "ar.txt", "h.txt", "HSub", "ro.txt", "Sub"}));
  EXPECT_EQ(
      All(fs(), all, kAttrDirectory | kAttrSystem),
      (List{".", "..", "a.txt", "ar.txt", "ro.txt", "s.sys", "SSub", "Sub"}));
  EXPECT_EQ(All(fs(), At("*.txt"), kAttrHidden),
            (List{"a.txt", "ar.txt", "h.txt", "ro.txt"}));
  EXPECT_EQ(All(fs(), At("*.TXT"), 31),
            (List{"a.txt", "ar.txt", "h.txt", "ro.txt"}));
  EXPECT_EQ(All(fs(), At("s*"), 16), (List{"Sub"}));
  EXPECT_EQ(All(fs(), At("?.txt"), 0), (List{"a.txt"}));
  EXPECT_EQ(All(fs(), At("nothing*"), 31), List{});
}

TEST_P(FileSystemContract, APatternEndingInADotFindsNamesWithoutOne) {
  if (std::string why = world().Deviation(HostQuirk::kTrailingDotIgnored);
      !why.empty()) {
    GTEST_SKIP() << why;
  }
  MakeOneOfEachKind(world());
  EXPECT_EQ(All(fs(), At("*."), 31), (List{"HSub", "SSub", "Sub"}));
}

TEST_P(FileSystemContract, APlainPathTestsThatOneEntry) {
  MakeOneOfEachKind(world());
  EXPECT_EQ(fs().Dir(At("A.TXT"), 0), "a.txt");  // the name as stored
  EXPECT_EQ(fs().DirNext(), "");
  EXPECT_EQ(fs().Dir(At("a.txt"), 16), "a.txt");  // files pass mask 16
  EXPECT_EQ(fs().Dir(At("ro.txt"), 0), "ro.txt");
  EXPECT_EQ(fs().Dir(At("ar.txt"), 0), "ar.txt");
  EXPECT_EQ(fs().Dir(At("h.txt"), 0), "");
  EXPECT_EQ(fs().Dir(At("h.txt"), 15), "h.txt");
  EXPECT_EQ(fs().Dir(At("h.txt"), 16), "");
  EXPECT_EQ(fs().Dir(At("s.sys"), 16), "");
  EXPECT_EQ(fs().Dir(At("s.sys"), 4), "s.sys");
  EXPECT_EQ(fs().Dir(At("sub"), 0), "");
  EXPECT_EQ(fs().Dir(At("sub"), 15), "");
  EXPECT_EQ(fs().Dir(At("sub"), 16), "Sub");
  EXPECT_EQ(fs().Dir(At("hsub"), 16), "");
  EXPECT_EQ(fs().Dir(At("hsub"), 15), "");
  EXPECT_EQ(fs().Dir(At("hsub"), 18), "HSub");
  EXPECT_EQ(fs().Dir(At("ssub"), 16), "");
  EXPECT_EQ(fs().Dir(At("ssub"), 20), "SSub");
  EXPECT_EQ(fs().Dir(At("ssub"), 31), "SSub");
  EXPECT_EQ(fs().Dir(At("missing.txt"), 31), "");
  // A trailing backslash names no entry.
  EXPECT_EQ(fs().Dir(At(""), 31), "");
}

TEST_P(FileSystemContract, NamesComeInNtfsOrder) {
  for (const char* name : {"beta", "_u", "B.TXT", "9", "Alpha", "10", "a.txt",
                           "zeta", "$WinDir$"}) {
    world().WriteFile(At(name), "", kOld);
  }
  world().MakeFolder(At("Mid"));
  EXPECT_EQ(All(fs(), At("*.*"), 16),
            (List{".", "..", "$WinDir$", "10", "9", "a.txt", "Alpha", "B.TXT",
                  "beta", "Mid", "zeta", "_u"}));
}

TEST_P(FileSystemContract, AMissingFolderHoldsNothingAMissingDriveThrows) {
  world().WriteFile(At("a.txt"), "a", kOld);
  EXPECT_EQ(fs().Dir(At("Missing\\*.*"), 31), "");
  EXPECT_EQ(fs().Dir(At("Missing\\x.txt"), 31), "");
  // A file where the folder should be: no such folder.
  EXPECT_EQ(fs().Dir(At("a.txt\\*.*"), 31), "");
  EXPECT_EQ(fs().Dir(At("a.txt\\x"), 16), "");
  EXPECT_EQ(fs().Dir(At("a.txt\\Sub\\x.txt"), 15), "");
  EXPECT_EQ(
      ErrorOf([&] { fs().Dir(world().missing_drive() + "\\x\\*.*", 16); }),
      kErrPathNotFound);
  // A search that finds nothing leaves no names of an earlier one behind.
  EXPECT_EQ(fs().Dir(At("*.*"), 31), ".");
  EXPECT_EQ(fs().Dir(At("Missing\\*.*"), 31), "");
  EXPECT_EQ(fs().DirNext(), "");
}

TEST_P(FileSystemContract, AttributesReadAndSet) {
  // Only the bits the host is able to tell apart are compared.
  const int kept = world().Deviation(HostQuirk::kArchiveAlwaysSet).empty()
                       ? ~0
                       : ~kAttrArchive;
  const std::string f = At("f.txt");
  world().WriteFile(f, "x", kOld);
  world().SetRawAttributes(f, kAttrReadOnly | kAttrSystem);
  EXPECT_EQ(fs().GetAttr(f) & kept, kAttrReadOnly | kAttrSystem);
  // The folder bit is ignored when set.
  fs().SetAttr(f, kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive |
                      kAttrDirectory);
  EXPECT_EQ(fs().GetAttr(At("F.TXT")),
            kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
  fs().SetAttr(f, kAttrHidden);
  EXPECT_EQ(fs().GetAttr(f) & kept, kAttrHidden);
  fs().SetAttr(f, kAttrNormal);
  EXPECT_EQ(fs().GetAttr(f) & kept, 0);
  EXPECT_EQ(world().ReadContent(f), "x");

  // A folder keeps its folder bit whatever is set.
  const std::string d = At("Dir");
  world().MakeFolder(d);
  EXPECT_EQ(fs().GetAttr(d), kAttrDirectory);
  fs().SetAttr(d, kAttrHidden | kAttrSystem);
  EXPECT_EQ(fs().GetAttr(d), kAttrDirectory | kAttrHidden | kAttrSystem);
  fs().SetAttr(d, kAttrDirectory);
  EXPECT_EQ(fs().GetAttr(d), kAttrDirectory);

  EXPECT_EQ(ErrorOf([&] { fs().GetAttr(At("gone.txt")); }), kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().GetAttr(At("no\\gone.txt")); }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().SetAttr(At("gone.txt"), 0); }),
            kErrFileNotFound);
}

TEST_P(FileSystemContract, AFileIsArchivedOnlyWhenSetSo) {
  if (std::string why = world().Deviation(HostQuirk::kArchiveAlwaysSet);
      !why.empty()) {
    GTEST_SKIP() << why;
  }
  const std::string f = At("f.txt");
  world().WriteFile(f, "x", kOld);
  world().SetRawAttributes(f, kAttrNormal);
  EXPECT_EQ(fs().GetAttr(f), kAttrNormal);
  fs().SetAttr(f, kAttrArchive);
  EXPECT_EQ(fs().GetAttr(f), kAttrArchive);
  fs().SetAttr(f, kAttrNormal);
  EXPECT_EQ(fs().GetAttr(f), kAttrNormal);
}

TEST_P(FileSystemContract, ACopyReplacesItsTargetAndKeepsTheTime) {
  world().WriteFile(At("A.dll"), "new contents", kNew);
  world().MakeFolder(At("Dst"));
  fs().FileCopy(At("a.DLL"), At("Dst\\Copy.dll"));
  EXPECT_EQ(world().ReadContent(At("Dst\\Copy.dll")), "new contents");
  EXPECT_EQ(world().ReadTime(At("Dst\\Copy.dll")), kNew);
  EXPECT_EQ(fs().DateLastModified(At("Dst\\COPY.DLL")), kNew);

  // An existing target, named in another case, is replaced under its name;
  // no temporary file is left beside it.
  world().WriteFile(At("Dst\\Old.dll"), "old", kOld);
  fs().FileCopy(At("A.dll"), At("Dst\\OLD.DLL"));
  EXPECT_EQ(world().ReadContent(At("Dst\\Old.dll")), "new contents");
  EXPECT_EQ(world().ReadTime(At("Dst\\Old.dll")), kNew);
  EXPECT_EQ(All(fs(), At("Dst\\*.*"), 31),
            (List{".", "..", "Copy.dll", "Old.dll"}));
}

TEST_P(FileSystemContract, ACopyNeverReplacesAReadOnlyOrHiddenTarget) {
  const std::string src = At("src.dll");
  world().WriteFile(src, "new", kNew);
  for (int bits : {int{kAttrReadOnly}, int{kAttrHidden},
                   kAttrReadOnly | kAttrHidden, kAttrHidden | kAttrSystem}) {
    const std::string target = At(std::to_string(bits) + ".dll");
    world().WriteFile(target, "old", kOld);
    world().SetRawAttributes(target, bits);
    EXPECT_EQ(ErrorOf([&] { fs().FileCopy(src, target); }),
              kErrPermissionDenied)
        << bits;
    EXPECT_EQ(world().ReadContent(target), "old") << bits;
  }
  // Not even by a source that carries the same bits.
  world().SetRawAttributes(src, kAttrHidden);
  EXPECT_EQ(ErrorOf([&] { fs().FileCopy(src, At("2.dll")); }),
            kErrPermissionDenied);
  EXPECT_EQ(world().ReadContent(At("2.dll")), "old");
  // The system bit alone protects nothing.
  world().SetRawAttributes(src, kAttrNormal);
  world().WriteFile(At("sys.dll"), "old", kOld);
  world().SetRawAttributes(At("sys.dll"), kAttrSystem);
  fs().FileCopy(src, At("sys.dll"));
  EXPECT_EQ(world().ReadContent(At("sys.dll")), "new");
}

TEST_P(FileSystemContract, AFileInUseCanNeitherBeReplacedNorDeleted) {
  world().WriteFile(At("src.dll"), "new", kNew);
  world().WriteFile(At("busy.dll"), "old", kOld);
  {
    std::shared_ptr<void> hold = world().HoldInUse(At("busy.dll"));
    EXPECT_EQ(ErrorOf([&] { fs().FileCopy(At("src.dll"), At("busy.dll")); }),
              kErrPermissionDenied);
    EXPECT_EQ(ErrorOf([&] { fs().Kill(At("busy.dll")); }),
              kErrPermissionDenied);
  }
  EXPECT_EQ(world().ReadContent(At("busy.dll")), "old");
  // Once let go, both work.
  fs().FileCopy(At("src.dll"), At("busy.dll"));
  EXPECT_EQ(world().ReadContent(At("busy.dll")), "new");
  fs().Kill(At("busy.dll"));
  EXPECT_EQ(fs().Dir(At("busy.dll"), 31), "");
}

TEST_P(FileSystemContract, CopyFailuresCarryTheirNumbers) {
  const std::string src = At("src.dll");
  world().WriteFile(src, "new", kNew);
  world().MakeFolder(At("Folder"));
  EXPECT_EQ(ErrorOf([&] { fs().FileCopy(At("none.dll"), At("x.dll")); }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().FileCopy(At("no\\none.dll"), At("x.dll")); }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().FileCopy(src, At("no\\x.dll")); }),
            kErrPathNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().FileCopy(src, At("src.dll\\x")); }),
            kErrPathNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().FileCopy(src, At("Folder")); }),
            kErrPathFileAccess);
  EXPECT_EQ(world().ReadContent(At("x.dll")), "<missing>");
  EXPECT_EQ(All(fs(), At("*.*"), 31), (List{".", "..", "Folder", "src.dll"}));
}

TEST_P(FileSystemContract, KillDeletesOnlyWhatItMay) {
  world().WriteFile(At("a.txt"), "x", kOld);
  fs().Kill(At("A.TXT"));
  EXPECT_EQ(world().ReadContent(At("a.txt")), "<missing>");
  EXPECT_EQ(fs().Dir(At("a.txt"), 31), "");
  EXPECT_EQ(ErrorOf([&] { fs().Kill(At("a.txt")); }), kErrFileNotFound);

  world().WriteFile(At("ro.txt"), "x", kOld);
  world().SetRawAttributes(At("ro.txt"), kAttrReadOnly);
  EXPECT_EQ(ErrorOf([&] { fs().Kill(At("ro.txt")); }), kErrPermissionDenied);
  EXPECT_EQ(world().ReadContent(At("ro.txt")), "x");
  // Kill deletes files; a folder is no file of that name.
  world().MakeFolder(At("D"));
  EXPECT_EQ(ErrorOf([&] { fs().Kill(At("D")); }), kErrFileNotFound);
  EXPECT_EQ(fs().GetAttr(At("D")), kAttrDirectory);
}

TEST_P(FileSystemContract, MkDirMakesOneFolder) {
  world().WriteFile(At("f"), "x", kOld);
  fs().MkDir(At("New"));
  EXPECT_EQ(fs().GetAttr(At("NEW")), kAttrDirectory);
  EXPECT_EQ(fs().Dir(At("new"), 16), "New");
  fs().MkDir(At("NEW\\Inner"));
  EXPECT_EQ(fs().Dir(At("New\\*.*"), 16), ".");
  EXPECT_EQ(fs().DirNext(), "..");
  EXPECT_EQ(fs().DirNext(), "Inner");
  EXPECT_EQ(ErrorOf([&] { fs().MkDir(At("NEW")); }), kErrPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs().MkDir(At("f")); }), kErrPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs().MkDir(At("a\\b")); }), kErrPathNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().MkDir(At("f\\b")); }), kErrPathNotFound);
  EXPECT_EQ(fs().Dir(At("a"), 31), "");
}

TEST_P(FileSystemContract, DateLastModifiedIsOfFilesOnly) {
  world().WriteFile(At("f.txt"), "x", kOld);
  EXPECT_EQ(fs().DateLastModified(At("F.TXT")), kOld);
  world().MakeFolder(At("D"));
  EXPECT_EQ(ErrorOf([&] { fs().DateLastModified(At("D")); }), kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().DateLastModified(At("none")); }),
            kErrFileNotFound);
}

TEST_P(FileSystemContract, AppendLineCreatesAndAppendsWithCrLf) {
  fs().AppendLine(At("log.txt"), "first");
  fs().AppendLine(At("LOG.TXT"), "");
  fs().AppendLine(At("Log.Txt"), "third, \"\xE4\"");
  EXPECT_EQ(world().ReadContent(At("log.txt")),
            "first\r\n\r\nthird, \"\xE4\"\r\n");
  EXPECT_EQ(All(fs(), At("*.*"), 31), (List{".", "..", "log.txt"}));
  EXPECT_EQ(ErrorOf([&] { fs().AppendLine(At("No\\log.txt"), "x"); }),
            kErrPathNotFound);
}

TEST_P(FileSystemContract, OpenForInputReadsTheItemsOfAFile) {
  world().WriteFile(At("items.txt"), "\"[Sec]\",Key,\"a, b\"\r\nlast", kOld);
  auto reader = fs().OpenForInput(At("ITEMS.txt"));
  List items;
  while (!reader->AtEnd()) items.push_back(reader->ReadItem());
  EXPECT_EQ(items, (List{"[Sec]", "Key", "a, b", "last"}));
  EXPECT_EQ(ErrorOf([&] { fs().OpenForInput(At("none.txt")); }),
            kErrFileNotFound);
}

TEST_P(FileSystemContract, ReadContentHandsOverEveryByteInOrder) {
  std::string big(5 << 20, 'x');
  for (std::size_t i = 0; i < big.size(); i += 4093) big[i] = char(i % 251);
  world().WriteFile(At("big.bin"), big, kOld);
  std::string read;
  Sha256 digest;
  fs().ReadContent(At("BIG.bin"), [&](const char* data, std::size_t size) {
    read.append(data, size);
    digest.Update(data, size);
  });
  EXPECT_TRUE(read == big);
  Sha256 whole;
  whole.Update(big.data(), big.size());
  EXPECT_EQ(digest.HexDigest(), whole.HexDigest());
  const auto none = [](const char*, std::size_t) {};
  EXPECT_EQ(ErrorOf([&] { fs().ReadContent(At("none.bin"), none); }),
            kErrFileNotFound);
  world().MakeFolder(At("Folder"));
  EXPECT_EQ(ErrorOf([&] { fs().ReadContent(At("Folder"), none); }),
            kErrPathFileAccess);
}

// An admitted copy: the digest handed over is the source's, small or large
// (a backend may read a large one on another thread); a refusal leaves the
// target as it was, and no temporary beside it.
TEST_P(FileSystemContract, AnAdmittedCopyTakesItsPlaceOnlyWhenAdmitted) {
  world().MakeFolder(At("Dst"));
  List names{".", ".."};
  for (const std::size_t size : {std::size_t{3}, std::size_t{5} << 20}) {
    const std::string content(size, 'c');
    Sha256 expected;
    expected.Update(content.data(), content.size());
    const std::string digest = expected.HexDigest();
    names.push_back("t" + std::to_string(size));
    const std::string target = At("Dst\\" + names.back());
    world().WriteFile(At("src.bin"), content, kNew);
    world().WriteFile(target, "old", kOld);
    std::string seen;
    EXPECT_EQ(ErrorOf([&] {
                fs().FileCopyAdmitted(At("src.bin"), target,
                                      [&](const std::string& d) {
                                        seen = d;
                                        throw RunError::Of(kErrFileCorrupt);
                                      });
              }),
              kErrFileCorrupt);
    EXPECT_EQ(seen, digest);
    EXPECT_TRUE(world().ReadContent(target) == "old");
    EXPECT_EQ(All(fs(), At("Dst\\*.*"), 31), names);
    fs().FileCopyAdmitted(At("src.bin"), target, [](const std::string&) {});
    EXPECT_TRUE(world().ReadContent(target) == content);
  }
}

}  // namespace
}  // namespace rolvex
