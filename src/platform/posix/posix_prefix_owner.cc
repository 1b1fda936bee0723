#include "platform/posix/posix_prefix_owner.h"

#include <errno.h>
#include <grp.h>
#include <pwd.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/run_error.h"

namespace rolvex {
namespace {

constexpr gid_t kOverflowGid = 65534;

std::string Failed(const std::string& what) {
  return "cannot act as the prefix's owner: " + what + ": " + strerror(errno);
}

}  // namespace

std::string PrefixFromEnvironment() {
  const char* prefix = std::getenv("ROLVEX_PREFIX");
  if (prefix != nullptr && *prefix != '\0') return prefix;
  std::string home;
  if (const char* h = std::getenv("HOME"); h != nullptr && *h != '\0') {
    home = h;
  } else if (struct passwd* pw = getpwuid(getuid());
             pw != nullptr && pw->pw_dir != nullptr && *pw->pw_dir != '\0') {
    home = pw->pw_dir;
  } else {
    throw RunError(kErrPathNotFound,
                   "Path not found: no prefix: ROLVEX_PREFIX and HOME are not "
                   "set and the password file names no home folder");
  }
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return (home == "/" ? "" : home) + "/.local/share/rolvex";
}

PrefixOwner OwnerOf(const std::string& prefix) {
  PrefixOwner owner;
  // Links followed: a drive or prefix reached through a link is the folder
  // the link leads to. A folder that is missing names nobody.
  for (const std::string& folder :
       {prefix + "/dosdevices/c:", prefix + "/dosdevices/C:", prefix,
        prefix + "/dosdevices"}) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || st.st_uid == 0) continue;
    owner.owned = true;
    owner.uid = st.st_uid;
    owner.folder_gid = st.st_gid;
    break;
  }
  return owner;
}

std::string ActAsPrefixOwner(const std::string& prefix) {
  if (geteuid() != 0) return "";
  const PrefixOwner owner = OwnerOf(prefix);
  if (!owner.owned) return "";
  std::string name, home;
  gid_t gid;
  errno = 0;
  if (struct passwd* pw = getpwuid(owner.uid); pw != nullptr) {
    name = pw->pw_name;
    home = pw->pw_dir != nullptr && *pw->pw_dir != '\0' ? pw->pw_dir : prefix;
    gid = pw->pw_gid;
    if (initgroups(pw->pw_name, gid) != 0) return Failed("initgroups");
  } else {
    // A user id without a password entry: no groups of its own are known,
    // and root's group would give back what the change takes away.
    gid = owner.folder_gid != 0 ? owner.folder_gid : kOverflowGid;
    home = prefix;
    if (setgroups(1, &gid) != 0) return Failed("setgroups");
  }
  // The group first: once the user is no longer root, it could not be
  // changed any more.
  if (setresgid(gid, gid, gid) != 0) return Failed("setresgid");
  if (setresuid(owner.uid, owner.uid, owner.uid) != 0) {
    return Failed("setresuid");
  }
  uid_t ruid, euid, suid;
  gid_t rgid, egid, sgid;
  if (getresuid(&ruid, &euid, &suid) != 0 ||
      getresgid(&rgid, &egid, &sgid) != 0 || ruid != owner.uid ||
      euid != owner.uid || suid != owner.uid || rgid != gid || egid != gid ||
      sgid != gid) {
    errno = EPERM;
    return Failed("the user and group ids did not all change");
  }
  setenv("HOME", home.c_str(), 1);
  if (!name.empty()) {
    setenv("USER", name.c_str(), 1);
    setenv("LOGNAME", name.c_str(), 1);
  } else {
    unsetenv("USER");
    unsetenv("LOGNAME");
  }
  for (const char* variable :
       {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
        "XDG_RUNTIME_DIR"}) {
    unsetenv(variable);
  }
  setenv("ROLVEX_PREFIX", prefix.c_str(), 1);
  return "";
}

}  // namespace rolvex
