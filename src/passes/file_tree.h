// Listing a service-pack tree into FileList, breadth first.
#ifndef ROLVEX_PASSES_FILE_TREE_H_
#define ROLVEX_PASSES_FILE_TREE_H_

#include <cstddef>
#include <string>

#include "passes/pass_state.h"

namespace rolvex {

// The most entries FileList can hold: 32 steps of 1000, since one more step
// would not fit the 16-bit capacity.
inline constexpr int kFileListLimit = 32000;
inline constexpr int kFileListStep = 1000;

// Appends the entries of RootDir\SubDir (RootDir itself when `sub_dir` is
// empty) to FileList in the order the platform's search gives them, "." and
// ".." left out, hidden and system entries included. A folder gets an empty
// FileName and its own relative path; a file its name and the relative path
// of its folder. Only the low 16 bits of the attributes are kept. Throws
// RunError 6 (overflow) instead of appending a 32001st entry, and passes on
// every failure of the platform (an entry that vanished before its attributes
// were read). A missing folder lists nothing.
void EinlesenDateiStruktur(PassState& state, const std::string& root_dir,
                           const std::string& sub_dir, int tag,
                           const std::string& call_path);

// No folder of a tree that Windows can install has a relative path this long:
// its target (at least "C:\" and the path) would pass MAX_PATH (260).
inline constexpr std::size_t kMaxRelativeFolder = 256;

// The whole tree below `root_dir`: FileCount is set to 0, the root is listed,
// then every folder entry in list order (the list grows during the walk), so
// that every folder stands before its contents. Folders that carry
// kAttrReparsePoint (a junction or symbolic link) are listed but not entered,
// so a link that leads back up the tree cannot make the listing go round. A
// folder whose relative path is longer than kMaxRelativeFolder throws RunError
// 75 before it is listed: where the platform does not mark links, this is what
// stops a link that leads back into the tree (the path grows by the link's name
// on every round). Failures pass on to the caller.
void EinlesenDateiBaum(PassState& state, const std::string& root_dir,
                       const std::string& call_path);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_FILE_TREE_H_
