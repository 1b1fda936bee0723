// Which prefix the Linux programs work on, and with whose rights.
//
// The prefix belongs to whoever owns its drive: its files are that user's,
// and so are the components, ini files and the restart list in it. Root
// (sudo, a deployment agent) running rolvex, rolvex-preview or
// rolvex-restart over such a prefix must not lend the user its rights: a
// link the user plants in the prefix would otherwise let root write,
// create, change the mode of or start anything on the machine. So every
// program, before it touches the prefix, takes on the owner's rights for
// good (user, group and supplementary groups, real, effective and saved),
// and from then on the kernel refuses what the owner could not do.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_PREFIX_OWNER_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_PREFIX_OWNER_H_

#include <sys/types.h>

#include <string>

namespace rolvex {

// The prefix the programs work on: ROLVEX_PREFIX when set and not empty,
// else HOME/.local/share/rolvex, else the home folder the password file
// gives the real user. Throws RunError 76 when none of these names one.
std::string PrefixFromEnvironment();

// The user a run over `prefix` acts as. The folders that decide what the
// prefix leads to are looked at in turn: the folder drive C: leads to
// (PREFIX/dosdevices/c:, links followed), the prefix folder and its
// dosdevices folder; the first that does not belong to root names the
// owner, since whoever owns any of them can make the drive lead anywhere.
// `owned` is false when all belong to root or the prefix does not exist
// yet (the program makes it).
struct PrefixOwner {
  bool owned = false;
  uid_t uid = 0;
  gid_t folder_gid = 0;  // the group of the folder that named the owner
};
PrefixOwner OwnerOf(const std::string& prefix);

// Run by each program before it reads or writes anything of `prefix` (the
// run lock, the log, a report, a plan): when the effective user is root and
// the prefix belongs to another user, the process becomes that user for
// good. The groups are the user's from the group database (initgroups);
// for a user id without a password entry only the folder's group, or the
// overflow group 65534 when that folder's group is root's. The change is
// checked with getresuid/getresgid.
//
// After the change the environment is the owner's, as a login of that user
// would have it, since started programs (Wine's regsvr32 among them) keep
// their settings under HOME: HOME is the owner's home folder (the prefix
// when the user has no password entry), USER and LOGNAME name the owner,
// XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, XDG_STATE_HOME and
// XDG_RUNTIME_DIR are removed (they named root's folders), and
// ROLVEX_PREFIX is set to `prefix`, so that the new HOME cannot move the
// prefix under the program.
//
// Returns "" when the program may go on (no change needed, or done), else
// one line saying why the change failed; the program then ends with status 2
// having touched nothing.
std::string ActAsPrefixOwner(const std::string& prefix);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_PREFIX_OWNER_H_
