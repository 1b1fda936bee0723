// The indexed Linux file layer against the plain one over one prefix, under
// a seeded random sequence of changes made from outside with plain system
// calls, and of changes made by one layer (which are from outside for the
// other), each followed by questions asked of both. Every answer must be
// the same. A small set of names that differ only in case makes names meet.
//
// Environment: ROLVEX_DIFF_SEED (default: from the clock), ROLVEX_DIFF_SECONDS
// (default 60), ROLVEX_DIFF_KINDS (comma-separated change kinds to use, default
// all; see kKinds), ROLVEX_DIFF_KEEP_GOING=1 (count mismatches per episode
// instead of stopping at the first). The run is cut into episodes of
// kEpisodeSteps changes, each on a fresh prefix with seed SEED+n, so a
// mismatch is shown with at most that many steps and is replayed with
// ROLVEX_DIFF_SEED set to the seed of its episode.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/posix_two_layers.h"

namespace rolvex {
namespace {

namespace fs = std::filesystem;

constexpr int kEpisodeSteps = 40;

// Names on the drive: a.txt and A.TXT, D and d... live side by side on the
// host and are one name for the layers.
const std::vector<std::string> kTop = {"D",     "d",     "E",
                                       "a.txt", "A.TXT", "x.ini"};
const std::vector<std::string> kLeaf = {"S",     "s",     "a.txt", "A.TXT",
                                        "q.dll", "Q.DLL", "x.ini", "X.INI"};
const std::vector<std::string> kKinds = {"create",
                                         "mkdir",
                                         "delete",
                                         "rename",
                                         "case-rename",
                                         "exchange",
                                         "to-folder",
                                         "to-link",
                                         "repoint-link",
                                         "hard-link",
                                         "write-through-link",
                                         "chmod",
                                         "dos-attributes",
                                         "times",
                                         "repoint-drive",
                                         "remake-folder",
                                         "move-prefix",
                                         "layer"};

class Episode {
 public:
  Episode(TwoLayersTest& fixture, std::string prefix, unsigned long long seed,
          const std::vector<std::string>& kinds)
      : fixture_(fixture),
        prefix_(std::move(prefix)),
        rng_(seed),
        kinds_(kinds) {}

  // Runs the episode; false at the first mismatch (then `report` says what).
  bool Run(std::string& report) {
    Populate();
    for (int step = 0; step < kEpisodeSteps; ++step) {
      if (!Change(report)) return false;
      int questions = 2 + Pick(3);
      for (int q = 0; q < questions; ++q) {
        if (!Question(report)) return false;
      }
    }
    return true;
  }
  // The kind of the last change made, which a mismatch is counted against.
  const std::string& last_kind() const { return last_kind_; }

 private:
  PosixLayer& indexed() { return fixture_.indexed(); }
  PosixLayer& plain() { return fixture_.plain(); }

  int Pick(int n) { return static_cast<int>(rng_() % n); }
  template <typename T>
  const T& PickOf(const std::vector<T>& v) {
    return v[Pick(static_cast<int>(v.size()))];
  }
  bool Chance(int percent) { return Pick(100) < percent; }

  // A path below the drive, host spelling: "D/a.txt", "x.ini"; most often
  // one that exists, so that changes meet something.
  std::string RandomRel() {
    std::vector<std::string> existing;
    if (Chance(60)) {
      struct stat st;
      for (const auto& top : kTop) {
        if (lstat(Host(top).c_str(), &st) != 0) continue;
        existing.push_back(top);
        for (const auto& leaf : kLeaf) {
          std::string rel = top + "/" + leaf;
          if (lstat(Host(rel).c_str(), &st) == 0) existing.push_back(rel);
        }
      }
    }
    if (!existing.empty()) return PickOf(existing);
    if (Chance(35)) return PickOf(kTop);
    return PickOf(std::vector<std::string>{"D", "d", "E"}) + "/" +
           PickOf(kLeaf);
  }
  std::string Host(const std::string& rel) const {
    return prefix_ + "/dosdevices/c:/" + rel;
  }
  // The Windows path of a host spelling, its letters in random case.
  std::string Windows(const std::string& rel) {
    std::string path = "C:\\";
    for (char c : rel) {
      if (c == '/') {
        path += '\\';
      } else if (isalpha(static_cast<unsigned char>(c)) && Chance(30)) {
        path += static_cast<char>(
            isupper(static_cast<unsigned char>(c)) ? tolower(c) : toupper(c));
      } else {
        path += c;
      }
    }
    return path;
  }
  std::string Content() {
    switch (Pick(3)) {
      case 0:
        return "[S]\r\nK=v" + std::to_string(Pick(100)) + "\r\n";
      case 1:
        return "item" + std::to_string(Pick(100)) + ",two\r\n";
      default:
        return "";
    }
  }
  // Files are made with a date long past, so that a later write (dated
  // now) shows in DateLastModified however fast the episode runs.
  void SetOldTime(const std::string& host) {
    time_t when = PickOf(std::vector<time_t>{1500000000, 1600000000});
    struct timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, host.c_str(), times, 0);
  }
  void Note(const std::string& line) { steps_.push_back(line); }
  static std::string Result(int rc) {
    return rc == 0 ? "" : std::string(" (") + strerror(errno) + ")";
  }
  void RemoveAll(const std::string& host) {
    std::error_code ignored;
    // Never through a link: remove_all removes the link itself.
    for (auto it = fs::recursive_directory_iterator(host, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (!it->is_symlink(ignored)) chmod(it->path().c_str(), 0755);
    }
    chmod(host.c_str(), 0755);
    fs::remove_all(host, ignored);
  }

  // Both drive folders get a few entries, before any layer has looked.
  void Populate() {
    for (const char* drive : {"/drive_c/", "/drive_x/"}) {
      for (int n = 0; n < 6; ++n) {
        std::string rel = RandomRel();
        std::string host = prefix_ + drive + rel;
        std::error_code ignored;
        fs::create_directories(fs::path(host).parent_path(), ignored);
        if (Chance(25)) {
          fs::create_directories(host, ignored);
        } else {
          TempPrefix::Write(host, Content());
          SetOldTime(host);
        }
      }
    }
    Note("populated " + TwoLayersTest::HostNames(prefix_ + "/drive_c") +
         " and drive_x " + TwoLayersTest::HostNames(prefix_ + "/drive_x"));
  }

  bool Change(std::string& report) {
    const std::string kind = PickOf(kinds_);
    last_kind_ = kind;
    std::string a = RandomRel(), b = RandomRel();
    std::string ha = Host(a), hb = Host(b);
    int rc = 0;
    if (kind == "create") {
      std::error_code ignored;
      fs::create_directories(fs::path(ha).parent_path(), ignored);
      int fd = open(ha.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      std::string text = Content();
      rc = fd < 0 ? -1 : 0;
      if (fd >= 0) {
        rc = write(fd, text.data(), text.size()) < 0 ? -1 : 0;
        close(fd);
      }
      if (rc == 0) SetOldTime(ha);
      Note("create " + a + Result(rc));
    } else if (kind == "mkdir") {
      rc = mkdir(ha.c_str(), 0755);
      Note("mkdir " + a + Result(rc));
    } else if (kind == "delete") {
      struct stat st;
      if (lstat(ha.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        RemoveAll(ha);
        Note("rm -rf " + a);
      } else {
        rc = unlink(ha.c_str());
        Note("unlink " + a + Result(rc));
      }
    } else if (kind == "rename") {
      rc = rename(ha.c_str(), hb.c_str());
      Note("rename " + a + " " + b + Result(rc));
    } else if (kind == "case-rename") {
      std::string to = a;
      for (std::size_t i = a.rfind('/') + 1; i < to.size(); ++i) {
        to[i] = static_cast<char>(Chance(50) ? toupper(to[i]) : tolower(to[i]));
      }
      rc = rename(ha.c_str(), Host(to).c_str());
      Note("rename " + a + " " + to + Result(rc));
    } else if (kind == "exchange") {
      rc = ExchangeNames(ha, hb);
      Note("exchange " + a + " " + b + Result(rc));
    } else if (kind == "to-folder") {
      if (Chance(50)) {
        RemoveAll(ha);
        rc = mkdir(ha.c_str(), 0755);
        Note("replace " + a + " by a new folder" + Result(rc));
      } else {
        // mv -T: a full folder renamed over the name in one step.
        std::string fresh = ha + ".new";
        RemoveAll(fresh);
        mkdir(fresh.c_str(), 0755);
        TempPrefix::Write(fresh + "/" + PickOf(kLeaf), Content());
        rc = rename(fresh.c_str(), ha.c_str());
        std::string result = Result(rc);
        if (rc != 0) RemoveAll(fresh);
        Note("mv -T a full folder over " + a + result);
      }
    } else if (kind == "to-link") {
      std::string target =
          Chance(50) ? "../" + b : fs::path(b).filename().string();
      RemoveAll(ha);
      rc = symlink(target.c_str(), ha.c_str());
      Note("replace " + a + " by a link to " + target + Result(rc));
    } else if (kind == "repoint-link") {
      std::string target = fs::path(b).filename().string();
      rc = RepointLink(ha, target);
      Note("ln -sfn " + target + " " + a + Result(rc));
    } else if (kind == "hard-link") {
      // ln -f: a new link beside, renamed over.
      std::string fresh = hb + ".lnk";
      rc = link(ha.c_str(), fresh.c_str());
      if (rc == 0) rc = rename(fresh.c_str(), hb.c_str());
      std::string result = Result(rc);
      unlink(fresh.c_str());
      Note("ln -f " + a + " " + b + result);
    } else if (kind == "write-through-link") {
      // Best a name that is a link or has a second hard link.
      for (int tries = 0; tries < 8; ++tries) {
        struct stat st;
        if (lstat(Host(a).c_str(), &st) == 0 &&
            (S_ISLNK(st.st_mode) || (S_ISREG(st.st_mode) && st.st_nlink > 1))) {
          break;
        }
        a = RandomRel();
      }
      int fd = open(Host(a).c_str(), O_WRONLY | O_TRUNC);
      std::string text = Content();
      rc = fd < 0 ? -1 : 0;
      if (fd >= 0) {
        rc = write(fd, text.data(), text.size()) < 0 ? -1 : 0;
        close(fd);
      }
      Note("write through " + a + Result(rc));
    } else if (kind == "chmod") {
      struct stat st;
      bool folder = stat(ha.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      mode_t mode =
          Chance(50) ? (folder ? 0555 : 0444) : (folder ? 0755 : 0644);
      rc = chmod(ha.c_str(), mode);
      char octal[8];
      snprintf(octal, sizeof octal, "%o", mode);
      Note(std::string("chmod ") + octal + " " + a + Result(rc));
    } else if (kind == "dos-attributes") {
      if (Chance(20)) {
        rc = removexattr(ha.c_str(), "user.DOSATTRIB");
        Note("remove DOSATTRIB of " + a + Result(rc));
      } else {
        std::string value = PickOf(
            std::vector<std::string>{"0x0", "0x2", "0x4", "0x6", "0x22"});
        rc = setxattr(ha.c_str(), "user.DOSATTRIB", value.data(), value.size(),
                      0);
        Note("DOSATTRIB " + value + " on " + a + Result(rc));
      }
    } else if (kind == "times") {
      time_t when =
          PickOf(std::vector<time_t>{1500000000, 1600000000, 1600000001});
      struct timespec times[2] = {{when, 0}, {when, 0}};
      rc = utimensat(AT_FDCWD, ha.c_str(), times, 0);
      Note("touch " + std::to_string(when) + " " + a + Result(rc));
    } else if (kind == "repoint-drive") {
      std::string target = Chance(50) ? "../drive_c" : "../drive_x";
      rc = RepointLink(prefix_ + "/dosdevices/c:", target);
      Note("ln -sfn " + target + " dosdevices/c:" + Result(rc));
    } else if (kind == "remake-folder") {
      if (Chance(30)) {
        // The drive's folder itself, through the link.
        std::error_code error;
        std::string drive =
            fs::canonical(prefix_ + "/dosdevices/c:", error).string();
        if (error) return true;
        RemoveAll(drive);
        rc = mkdir(drive.c_str(), 0755);
        std::string name = PickOf(kTop);
        TempPrefix::Write(drive + "/" + name, Content());
        Note("rm -rf the drive's folder, made again with " + name + Result(rc));
      } else {
        std::string folder = PickOf(std::vector<std::string>{"D", "d", "E"});
        RemoveAll(Host(folder));
        rc = mkdir(Host(folder).c_str(), 0755);
        std::string name = PickOf(kLeaf);
        TempPrefix::Write(Host(folder) + "/" + name, Content());
        Note("rm -rf " + folder + ", made again with " + name + Result(rc));
      }
    } else if (kind == "move-prefix") {
      // The old prefix stays aside (until the next move), as a backup would.
      std::string aside = prefix_ + ".old";
      RemoveAll(aside);
      rc = rename(prefix_.c_str(), aside.c_str());
      std::string result = Result(rc);
      std::error_code error;
      fs::copy(aside, prefix_,
               fs::copy_options::recursive | fs::copy_options::copy_symlinks,
               error);
      Note("prefix moved aside, a copy put in its place" + result);
    } else {
      return LayerChange(a, b, report);
    }
    return true;
  }

  // A change made by one layer, in turns; the other must see it too. Where
  // the name goes is asked of both first.
  bool LayerChange(const std::string& a, const std::string& b,
                   std::string& report) {
    bool by_indexed = (layer_turn_++ % 2) == 0;
    PosixLayer& doer = by_indexed ? indexed() : plain();
    std::string wa = Windows(a), wb = Windows(b);
    std::string folder = wb.substr(0, wb.rfind('\\'));
    if (!Compare("ToHost " + wb, 0, report) ||
        !Compare("Dir " + folder + "\\*.*", 31, report)) {
      return false;
    }
    std::string result;
    std::string what;
    switch (Pick(6)) {
      case 0:
        what = "MkDir " + wb;
        result = AnswerOf([&] {
          doer.fs.MkDir(wb);
          return std::string();
        });
        break;
      case 1:
        what = "FileCopy " + wa + " " + wb;
        result = AnswerOf([&] {
          doer.fs.FileCopy(wa, wb);
          return std::string();
        });
        break;
      case 2:
        what = "AppendLine " + wb;
        result = AnswerOf([&] {
          doer.fs.AppendLine(wb, "line");
          return std::string();
        });
        break;
      case 3:
        what = "Kill " + wb;
        result = AnswerOf([&] {
          doer.fs.Kill(wb);
          return std::string();
        });
        break;
      case 4: {
        int bits = PickOf(std::vector<int>{0, 1, 2, 6, 32});
        what = "SetAttr " + std::to_string(bits) + " " + wb;
        result = AnswerOf([&] {
          doer.fs.SetAttr(wb, bits);
          return std::string();
        });
        break;
      }
      default:
        what = "WriteString " + wb;
        result = doer.profiles.WriteString("S", "K",
                                           "w" + std::to_string(Pick(9)), wb)
                     ? ""
                     : "false";
    }
    Note(std::string(by_indexed ? "indexed" : "plain") + " layer: " + what +
         (result.empty() ? "" : " -> " + result));
    pending_.push_back("GetAttr " + wb);
    pending_.push_back("Dir " + folder + "\\*.*");
    return true;
  }

  // One question of both layers; false with `report` at a mismatch.
  bool Question(std::string& report) {
    std::string rel = RandomRel();
    std::string path = Windows(rel);
    std::string question;
    if (!pending_.empty()) {
      question = pending_.back();
      pending_.pop_back();
    } else {
      switch (Pick(8)) {
        case 0:
          question = "ToHost " + path;
          break;
        case 1:
        case 2:
          question = "GetAttr " + path;
          break;
        case 3:
          question = "DateLastModified " + path;
          break;
        case 4: {
          std::string folder = Chance(30) ? "C:" : Windows(PickOf(kTop));
          question =
              "Dir " + folder + "\\" +
              PickOf(std::vector<std::string>{"*.*", "*.txt", "?.*", "*"});
          break;
        }
        case 5:
          question = "Dir " + path;
          break;
        case 6:
          question = "OpenForInput " + path;
          break;
        default:
          question = "GetString " + path;
      }
    }
    return Compare(question, PickOf(std::vector<int>{0, 6, 16, 22, 31}),
                   report);
  }

  bool Compare(std::string question, int mask, std::string& report) {
    if (question.rfind("Dir ", 0) == 0)
      question += " mask " + std::to_string(mask);
    std::string got = Ask(indexed(), question, mask);
    std::string want = Ask(plain(), question, mask);
    Note("  " + question + " = " + want);
    if (got == want) return true;
    std::ostringstream out;
    out << "MISMATCH at " << question << "\n  indexed: " << got
        << "\n  plain:   " << want << "\nsteps of this episode:\n";
    for (const auto& s : steps_) out << "  " << s << "\n";
    report = out.str();
    return false;
  }

  static std::string Ask(PosixLayer& l, const std::string& question, int mask) {
    std::size_t space = question.find(' ');
    std::string verb = question.substr(0, space);
    std::string path = question.substr(space + 1);
    path = path.substr(0, path.find(" mask "));
    if (verb == "ToHost") return AskHost(l, path);
    if (verb == "GetAttr") return AskAttr(l, path);
    if (verb == "DateLastModified") return AskTime(l, path);
    if (verb == "Dir") return AskDir(l, path, mask);
    if (verb == "OpenForInput") return AskContent(l, path);
    return AskProfile(l, path);
  }

  TwoLayersTest& fixture_;
  std::string prefix_;
  std::mt19937_64 rng_;
  std::vector<std::string> kinds_;
  std::string last_kind_;
  std::vector<std::string> steps_;
  std::vector<std::string> pending_;
  int layer_turn_ = 0;
};

using FileIndexDifferential = TwoLayersTest;

std::vector<std::string> KindsFromEnvironment() {
  const char* chosen = getenv("ROLVEX_DIFF_KINDS");
  if (!chosen || !*chosen) return kKinds;
  std::vector<std::string> kinds;
  std::stringstream list(chosen);
  for (std::string kind; std::getline(list, kind, ',');) {
    if (std::find(kKinds.begin(), kKinds.end(), kind) == kKinds.end()) {
      ADD_FAILURE() << "unknown change kind " << kind;
    } else {
      kinds.push_back(kind);
    }
  }
  return kinds;
}

TEST_F(FileIndexDifferential, IndexedLayerAnswersAsThePlainOne) {
  const char* seed_text = getenv("ROLVEX_DIFF_SEED");
  const char* seconds_text = getenv("ROLVEX_DIFF_SECONDS");
  unsigned long long seed =
      seed_text
          ? strtoull(seed_text, nullptr, 10)
          : static_cast<unsigned long long>(
                std::chrono::system_clock::now().time_since_epoch().count() %
                1000000000);
  double seconds = seconds_text ? atof(seconds_text) : 60;
  bool keep_going = getenv("ROLVEX_DIFF_KEEP_GOING") != nullptr;
  std::vector<std::string> kinds = KindsFromEnvironment();
  ASSERT_FALSE(kinds.empty());
  printf("seed %llu (ROLVEX_DIFF_SEED), %.0f s\n", seed, seconds);
  fflush(stdout);

  auto end = std::chrono::steady_clock::now() +
             std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
  int episodes = 0, failed = 0;
  std::map<std::string, int> failed_after;
  std::string first_report;
  do {
    Renew();
    unsigned long long episode_seed = seed + episodes++;
    Episode episode(*this, prefix(), episode_seed, kinds);
    std::string report;
    bool same = episode.Run(report);
    if (same) continue;
    ++failed;
    ++failed_after[episode.last_kind()];
    if (first_report.empty()) {
      const char* chosen = getenv("ROLVEX_DIFF_KINDS");
      first_report =
          "ROLVEX_DIFF_SEED=" + std::to_string(episode_seed) +
          (chosen ? std::string(" ROLVEX_DIFF_KINDS=") + chosen : "") +
          " replays this episode\n" + report;
    }
    if (!keep_going) break;
  } while (std::chrono::steady_clock::now() < end);

  printf("%d episodes of %d changes, %d with a mismatch\n", episodes,
         kEpisodeSteps, failed);
  if (keep_going && failed) {
    // A rough guide: a mismatch may show only several changes later.
    printf("mismatches by the kind of the change just before them:\n");
    for (const auto& [kind, count] : failed_after) {
      printf("  %-20s %d\n", kind.c_str(), count);
    }
  }
  EXPECT_EQ(failed, 0) << first_report;
}

}  // namespace
}  // namespace rolvex
