// The name side of a directory search: Windows wildcard matching and the
// order NTFS lists a folder in, so that a search gives the same names in the
// same order on every host file system.
#ifndef ROLVEX_PLATFORM_RULES_DIRECTORY_SEARCH_H_
#define ROLVEX_PLATFORM_RULES_DIRECTORY_SEARCH_H_

#include <string>
#include <vector>

namespace rolvex {

// True when the last component of a search path is a pattern.
bool IsWildcardPattern(const std::string& component);

// Windows wildcard matching, without regard to ASCII letter case:
// "*" matches any run of characters, "?" one character (or none at the end
// of the name or before a "."), everything else itself. As FindFirstFile does,
// a pattern ending in ".*" also matches names without a dot ("*.*" matches
// every name, "readme.*" matches "readme"), and a pattern ending in "." after
// a "*" or "?" matches only names without a dot ("*." lists names that have
// no extension).
bool WildcardMatches(const std::string& pattern, const std::string& name);

// NTFS order: "." and ".." first, then by byte after upper-casing ASCII
// letters (so "_u" comes after "zeta" and "10" before "9"); names equal but
// for case follow in byte order, so the order is total.
bool NtfsNameLess(const std::string& a, const std::string& b);

// Sorts `names` in NTFS order.
void SortNtfs(std::vector<std::string>& names);

// The Dir filter: an entry with `attributes` is delivered when each of its
// hidden (2), system (4) and folder (16) bits is also in `mask`; read-only (1)
// and archive (32) never keep an entry out. So a hidden folder needs 18, a
// plain folder 16, a hidden file 2.
bool PassesMask(int attributes, int mask);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_DIRECTORY_SEARCH_H_
