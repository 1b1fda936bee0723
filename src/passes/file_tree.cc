#include "passes/file_tree.h"

#include "platform/run_error.h"

namespace rolvex {
namespace {

// Makes room for entry `index`, growing the list by one step when needed.
void ReserveEntry(PassState& state, int index) {
  if (index <= state.file_list_capacity) return;
  if (state.file_list_capacity + kFileListStep > kFileListLimit) {
    throw RunError::Of(kErrOverflow);
  }
  state.file_list_capacity += kFileListStep;
  state.file_list.resize(state.file_list_capacity + 1);
}

}  // namespace

void EinlesenDateiStruktur(PassState& state, const std::string& root_dir,
                           const std::string& sub_dir, int tag,
                           const std::string& call_path) {
  (void)call_path;  // reports nothing itself
  const std::string folder =
      sub_dir.empty() ? root_dir + "\\" : root_dir + "\\" + sub_dir + "\\";

  // The search is finished before anything else touches the file system's
  // search state: the attribute query below is no search.
  for (std::string name = state.files.Dir(folder + "*.*", 31); !name.empty();
       name = state.files.DirNext()) {
    if (name == "." || name == "..") continue;

    const int index = state.file_count + 1;
    ReserveEntry(state, index);
    FileEntry entry;
    entry.attributes = state.files.GetAttr(folder + name) & 0xFFFF;
    if (entry.attributes & kAttrDirectory) {
      entry.relative_path = sub_dir.empty() ? name : sub_dir + "\\" + name;
    } else {
      entry.file_name = name;
      entry.relative_path = sub_dir;
    }
    entry.tag = tag;
    state.file_list[index] = std::move(entry);
    state.file_count = index;
  }
}

void EinlesenDateiBaum(PassState& state, const std::string& root_dir,
                       const std::string& call_path) {
  state.file_count = 0;
  EinlesenDateiStruktur(state, root_dir, "", 0, call_path);
  for (int n = 1; n <= state.file_count; ++n) {
    const FileEntry& entry = state.file_list[n];
    if (!entry.file_name.empty()) continue;
    if (entry.attributes & kAttrReparsePoint) continue;
    // Copied: listing may grow the vector and move the entry.
    const std::string relative_path = entry.relative_path;
    if (relative_path.size() > kMaxRelativeFolder) {
      throw RunError(kErrPathFileAccess,
                     "Path/File access error (folder nested too deeply, a "
                     "link back into the tree?): " +
                         relative_path.substr(0, 60) + "...");
    }
    EinlesenDateiStruktur(state, root_dir, relative_path, 0, call_path);
  }
}

}  // namespace rolvex
