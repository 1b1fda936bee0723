// The one question the disk cannot answer in one call: which entry of a
// folder stands for a name that is missing as written, but may be there in
// another letter case. Without help that is a read of the whole folder for
// every such name, and a run that fills a folder asks it for each new file.
//
// What is kept, and why it cannot give an answer the disk would not:
// - Only names, never what they lead to. An exact name, and everything about
//   an entry (type, times, attributes, content), is asked of the disk.
// - A folder's names are kept per folder object, not per path: the watch on
//   the path found names the object (inotify gives the same watch for the
//   same object, whatever path led there), so a link turned elsewhere, a
//   folder replaced or removed and made again, a prefix moved aside, or a
//   file system mounted on the way all lead to another object, and so to
//   another list or none.
// - The watch is put on before the folder is read; every creation, removal
//   and rename in it queues an event before the call that made it returns,
//   and the queue is read before each answer.
// - The list is a superset: a created or renamed-in name is added; a
//   removed name is taken out; a name renamed away (also one half of an
//   exchange, whose two events cannot be told apart from two renames) is
//   kept. Every name the list offers is checked on the disk before it is
//   given, and one that is gone is taken out then.
// - A lost queue (overflow), a folder removed, or a file system unmounted
//   drops the lists concerned. File systems another machine can change
//   (network, FUSE) are never listed; every question there reads the folder.
#ifndef ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_NAMES_H_
#define ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_NAMES_H_

#include <string>
#include <unordered_map>
#include <vector>

namespace rolvex {

class FolderNames {
 public:
  // `enabled` false: nothing is kept, every question reads the folder.
  explicit FolderNames(bool enabled);
  ~FolderNames();
  FolderNames(const FolderNames&) = delete;
  FolderNames& operator=(const FolderNames&) = delete;

  // The entry of the host folder `folder` whose name equals `name` but for
  // the case of ASCII letters, the first in byte order (strcmp) when there
  // are several; "" when there is none (or the folder cannot be read). The
  // caller has found that `name` itself is missing.
  std::string OtherCase(const std::string& folder, const std::string& name);

 private:
  struct Listing {
    bool usable = false;  // false: a folder that is read every time
    // Case-folded name -> the names (as the host spells them) that fold to
    // it.
    std::unordered_multimap<std::string, std::string> names;
  };
  void ReadQueue();
  // The names of `folder` that fold to `folded`, read from the disk.
  static std::vector<std::string> Scan(const std::string& folder,
                                       const std::string& folded);

  int inotify_fd_ = -1;
  std::unordered_map<int, Listing> listings_;  // by watch descriptor
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_POSIX_POSIX_FOLDER_NAMES_H_
