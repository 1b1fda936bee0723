#include "platform/posix/posix_restart_scheduler.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_host_path.h"
#include "platform/posix/posix_pending_renames.h"
#include "platform/rules/ascii_text.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

bool Writable(const std::string& name) {
  return name.find_first_of(std::string("\n\r\0", 3)) == std::string::npos;
}

// The name StageForRestart gives a staged copy of the file `target_name`:
// ".~rolvex-restart-<time>-<pid>-<n>~" and the target's name (at most its
// first 120 bytes, in the spelling the disk has).
bool IsStagedNameFor(std::string_view name, std::string_view target_name) {
  constexpr std::string_view kStart = ".~rolvex-restart-";
  if (name.substr(0, kStart.size()) != kStart) return false;
  name.remove_prefix(kStart.size());
  for (int number = 0; number < 3; ++number) {
    std::size_t digits = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') {
      ++digits;
    }
    const char end = number < 2 ? '-' : '~';
    if (digits == 0 || digits == name.size() || name[digits] != end) {
      return false;
    }
    name.remove_prefix(digits + 1);
  }
  return !name.empty() &&
         AsciiEqualsIgnoringCase(name, target_name.substr(0, 120));
}

std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return "";
  std::string result(real);
  free(real);
  return result;
}

bool IsBelow(const std::string& path, const std::string& folder) {
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// Why `r` is not a request the installer made, "" when it is. The list lies
// in the prefix, where whoever owns the prefix can write anything; the
// installer only ever asks for a copy it staged beside a target in a drive
// (PosixFileSystem::StageForRestart) to replace that target, so nothing
// else is carried out: no deletion, no file from elsewhere, no target
// outside the drives.
std::string NotStagedByName(const PendingRename& r) {
  if (r.target.empty()) return "the installer schedules no deletions";
  const std::size_t source_slash = r.source.find_last_of('\\');
  const std::size_t target_slash = r.target.find_last_of('\\');
  if (source_slash == std::string::npos || target_slash == std::string::npos ||
      r.source.compare(0, source_slash, r.target, 0, target_slash) != 0 ||
      !IsStagedNameFor(std::string_view(r.source).substr(source_slash + 1),
                       std::string_view(r.target).substr(target_slash + 1))) {
    return "the source is no copy staged beside the target";
  }
  return "";
}

// The same for what the names lead to on the disk (`source` and `target`
// mapped).
std::string NotStagedOnDisk(const DriveModel& drives, const PendingRename& r,
                            const std::string& source,
                            const std::string& target) {
  // The folder the target lands in, links resolved, must lie in the folder
  // of its drive; a drive that is the whole machine (Z: -> /) holds nothing
  // of the prefix.
  const std::string drive = RealPath(drives.DriveRootOf(r.target));
  const std::string folder = RealPath(HostFolder(target));
  if (drive.empty() || drive == "/" || folder.empty() ||
      !IsBelow(folder, drive) || HostFolder(source) != HostFolder(target)) {
    return "the target lies outside the prefix's drives";
  }
  // A staged copy is a file of its own that this user wrote; a link, or a
  // second name of somebody else's file, is not.
  struct stat info;
  if (lstat(source.c_str(), &info) == 0 &&
      (!S_ISREG(info.st_mode) || info.st_nlink != 1 ||
       info.st_uid != geteuid())) {
    return "the source is not a file the installer staged";
  }
  return "";
}

// Carries out one request; on failure `why` says what went wrong, and
// `untrusted` is set when the request is not one the installer made.
bool CarryOut(const DriveModel& drives, const PendingRename& r,
              std::string* why, bool* untrusted) {
  *why = NotStagedByName(r);
  *untrusted = !why->empty();
  if (*untrusted) return false;
  std::string source, target;
  try {
    source = drives.ToHost(r.source);
    target = drives.ToHost(r.target);
    *why = NotStagedOnDisk(drives, r, source, target);
  } catch (const RunError& e) {
    *why = e.description();
    return false;
  }
  *untrusted = !why->empty();
  if (*untrusted) return false;
  struct stat source_info;
  if (lstat(source.c_str(), &source_info) != 0) {
    *why = std::string("source: ") + strerror(errno);
    return false;
  }
  struct stat target_info;
  if (lstat(target.c_str(), &target_info) == 0) {
    if (S_ISDIR(target_info.st_mode)) {
      *why = "target is a folder";
      return false;
    }
    if (!r.replace_existing) {
      *why = "target exists";
      return false;
    }
    // A read-only file is not replaced, on Windows neither.
    if ((target_info.st_mode & S_IWUSR) == 0) {
      *why = "target is read-only";
      return false;
    }
  }
  // The staged copy lies beside its target: one rename, on one file system.
  if (rename(source.c_str(), target.c_str()) == 0) return true;
  *why = strerror(errno);
  return false;
}

}  // namespace

std::string PosixRestartScheduler::list_path() const {
  return drives_.prefix() + "/" + kPendingRenamesFileName;
}

bool PosixRestartScheduler::ReplaceAtRestart(const std::string& source,
                                             const std::string& target) {
  struct stat info;
  if (stat(drives_.prefix().c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    throw RunError::Of(kErrPathNotFound);
  }
  if (source.empty() || target.empty() || !Writable(source) ||
      !Writable(target)) {
    return false;
  }
  // Carried out later, from another folder: only whole paths keep their
  // meaning until then.
  for (const std::string* path : {&source, &target}) {
    if (path->size() < 3 || (*path)[1] != ':' ||
        ((*path)[2] != '\\' && (*path)[2] != '/')) {
      return false;
    }
  }
  try {
    drives_.ToHost(source);
    drives_.ToHost(target);
  } catch (const RunError&) {
    return false;
  }
  LockedPendingList list(list_path(), /*create=*/true);
  return list.ok() && list.Append(FormatPendingRename({source, target, true}));
}

bool PosixRestartScheduler::CancelReplaceAtRestart(const std::string& source,
                                                   const std::string& target) {
  LockedPendingList list(list_path(), /*create=*/false);
  if (!list.ok()) return false;
  std::string incomplete;
  std::vector<PendingRename> renames =
      ParsePendingRenames(list.Read(), &incomplete);
  const PendingRename wanted{source, target, true};
  bool found = false;
  std::string kept;
  for (const PendingRename& r : renames) {
    if (!found && r == wanted) {
      found = true;
    } else {
      kept += FormatPendingRename(r);
    }
  }
  // An interrupted entry at the end stays, for the restart to report.
  return found && list.Replace(kept + incomplete);
}

bool CarryOutPendingRenames(const DriveModel& drives, std::ostream& errors) {
  const std::string path = drives.prefix() + "/" + kPendingRenamesFileName;
  LockedPendingList list(path, /*create=*/false);
  if (!list.ok()) {
    errors << "rolvex-restart: cannot open " << path << "\n";
    return false;
  }
  std::string incomplete;
  std::vector<PendingRename> renames =
      ParsePendingRenames(list.Read(), &incomplete);
  bool all_done = true;
  if (!incomplete.empty()) {
    errors << "rolvex-restart: dropped an incomplete entry: " << incomplete
           << "\n";
    all_done = false;
  }
  std::string left;
  for (const PendingRename& r : renames) {
    std::string why;
    bool untrusted = false;
    if (CarryOut(drives, r, &why, &untrusted)) continue;
    all_done = false;
    const std::string request =
        r.target.empty() ? "delete " + r.source
                         : "replace " + r.target + " with " + r.source;
    if (untrusted) {
      // Never the installer's: asked again at every restart it would only
      // be refused again.
      errors << "rolvex-restart: skipped " << request << ": " << why
             << "; taken out of the list\n";
      continue;
    }
    errors << "rolvex-restart: cannot " << request << ": " << why << "\n";
    left += FormatPendingRename(r);
  }
  if (!list.Replace(left)) {
    errors << "rolvex-restart: cannot rewrite " << path << "\n";
    all_done = false;
  }
  return all_done;
}

}  // namespace rolvex
