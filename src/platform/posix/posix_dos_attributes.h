// Windows file attributes on a POSIX file system.
//
// - Folder (16): the host object is a directory (links followed).
// - Read-only (1): for a file, no write permission bit is set (or the stored
//   attributes say so); for a folder only the stored attributes count, since
//   taking a folder's write bits would stop files being made in it.
// - Hidden (2), system (4), archive (32): stored in the extended attribute
//   "user.DOSATTRIB" as the text "0x" + hex digits, as Samba and Wine keep
//   them. A name starting with "." is hidden too (except "." and "..").
// A file without stored attributes reads as 0 (normal), so clearing the
// attributes gives 0 back, as on Windows (Wine would add archive).
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_DOS_ATTRIBUTES_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_DOS_ATTRIBUTES_H_

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace rolvex {

// The name of the extended attribute, shared with Samba and Wine.
inline constexpr char kDosAttribName[] = "user.DOSATTRIB";

// The bits of a stored DOSATTRIB value. Accepts "0x" + hex (Wine writes it
// without a NUL, Samba with one and binary data after it) and plain decimal;
// anything else gives 0.
int ParseDosAttrib(const char* data, std::size_t size);

// The stored bits of `host_path`; 0 when none are stored or the file system
// keeps no extended attributes. `stored`, when given, tells whether the
// attribute is there at all.
int ReadDosAttrib(const std::string& host_path, bool* stored = nullptr);
// The same for the file open as `fd`.
int ReadDosAttribOpen(int fd);

// Stores `bits` (0 removes the attribute); what is stored already as asked
// is not written again. Returns 0, or the errno of the
// failure (ENOTSUP when the file system keeps no extended attributes).
int WriteDosAttrib(const std::string& host_path, int bits);

// All attribute bits of an existing host object: `st` is its stat (links
// followed) and `name` its last path component.
int HostAttributes(const std::string& host_path, const std::string& name,
                   const struct stat& st);
// The same from what was read already: `mode` (links followed) and the
// stored bits.
int AttributeBits(std::string_view name, mode_t mode, int stored);

// The process's umask, read without changing it.
mode_t CurrentUmask();

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_DOS_ATTRIBUTES_H_
