#include "platform/posix/posix_restart_scheduler.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/posix/posix_file_io.h"
#include "platform/posix/posix_pending_renames.h"
#include "platform/posix/posix_temporary.h"
#include "platform/run_error.h"

namespace rolvex {
namespace {

bool Writable(const std::string& name) {
  return name.find_first_of(std::string("\n\r\0", 3)) == std::string::npos;
}

// Copies `from` into a temporary beside `to` that then replaces `to`.
bool CopyOver(const std::string& from, const std::string& to,
              const struct stat& source_info, std::string* why) {
  UniqueFd in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.ok()) {
    *why = strerror(errno);
    return false;
  }
  TemporaryFile out(to, source_info.st_mode & 07777);
  if (!out.ok()) {
    *why = strerror(errno);
    return false;
  }
  bool ok = CopyAll(in.get(), out.get()) == CopyResult::kDone;
  if (!ok) *why = strerror(errno);
  // The moved file keeps its last-modified time, as a rename would.
  struct timespec times[2] = {source_info.st_atim, source_info.st_mtim};
  futimens(out.get(), times);
  if (ok && (fsync(out.get()) != 0 || out.Commit() != 0)) {
    *why = strerror(errno);
    ok = false;
  }
  return ok;
}

// Carries out one request; on failure `why` says what went wrong.
bool CarryOut(const DriveModel& drives, const PendingRename& r,
              std::string* why, std::string* warning) {
  std::string source, target;
  try {
    source = drives.ToHost(r.source);
    if (!r.target.empty()) target = drives.ToHost(r.target);
  } catch (const RunError& e) {
    *why = e.description();
    return false;
  }
  struct stat source_info;
  if (lstat(source.c_str(), &source_info) != 0) {
    if (r.target.empty() && errno == ENOENT) return true;  // already gone
    *why = std::string("source: ") + strerror(errno);
    return false;
  }
  if (r.target.empty()) {
    if (unlink(source.c_str()) == 0) return true;
    *why = strerror(errno);
    return false;
  }
  if (!S_ISREG(source_info.st_mode)) {
    *why = "source is not a file";
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
  if (rename(source.c_str(), target.c_str()) == 0) return true;
  if (errno != EXDEV) {
    *why = strerror(errno);
    return false;
  }
  // Another file system: copy beside the target and over it, then remove
  // the source.
  if (!CopyOver(source, target, source_info, why)) return false;
  if (unlink(source.c_str()) != 0) {
    *warning =
        std::string("replaced, but the source stays: ") + strerror(errno);
  }
  return true;
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
    std::string why, warning;
    if (CarryOut(drives, r, &why, &warning)) {
      if (!warning.empty()) {
        errors << "rolvex-restart: " << r.target << ": " << warning << "\n";
      }
      continue;
    }
    all_done = false;
    errors << "rolvex-restart: cannot "
           << (r.target.empty() ? "delete " + r.source
                                : "replace " + r.target + " with " + r.source)
           << ": " << why << "\n";
    left += FormatPendingRename(r);
  }
  if (!list.Replace(left)) {
    errors << "rolvex-restart: cannot rewrite " << path << "\n";
    all_done = false;
  }
  return all_done;
}

}  // namespace rolvex
