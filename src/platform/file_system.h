// File operations the installer needs, on Windows paths.
//
// Every path is a Windows path ("C:\Windows\Fonts\Sans.ttf"); the backend maps
// it onto its own file system. Every failure throws RunError with a number an
// operator knows (53 file not found, 70 permission denied, 75 path/file access
// error, 76 path not found, ...). Nothing is held open between calls except an
// ItemReader, which closes when it is destroyed.
#ifndef ROLVEX_PLATFORM_FILE_SYSTEM_H_
#define ROLVEX_PLATFORM_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace rolvex {

// Attribute bits as the platform reports them.
enum FileAttribute : int {
  kAttrNormal = 0,
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrVolume = 8,
  kAttrDirectory = 16,
  kAttrArchive = 32,
  // A junction or symbolic link (FILE_ATTRIBUTE_REPARSE_POINT): reported by
  // GetAttr so that a tree listing does not enter a linked folder.
  kAttrReparsePoint = 1024,
};

// A last-modified time in whole seconds since 1970-01-01 00:00:00 UTC.
// Comparing two of them gives the same order as comparing the local
// date-times the file-system object reports, without daylight-saving jumps.
using FileTime = std::int64_t;

// Sequential reading of comma-delimited items from a text file.
class ItemReader {
 public:
  virtual ~ItemReader() = default;
  // True when no further item can be read.
  virtual bool AtEnd() = 0;
  // Reads the next item: blanks and tabs before it are skipped; an unquoted
  // item runs to a comma or a line end (CR LF, CR or LF) and loses trailing
  // blanks; a quoted item runs to the next double quote (commas and line ends
  // inside belong to it), after which blanks and one comma or line end are
  // consumed. An empty line gives an empty item. Reading past the end throws
  // RunError 62.
  virtual std::string ReadItem() = 0;
};

// Lines appended to one text file that stays open between them.
class LineAppender {
 public:
  virtual ~LineAppender() = default;
  // Appends `line` and CR LF in one write, which has reached the system
  // (survives a kill of this process) when it returns; throws RunError
  // when it cannot be written.
  virtual void Append(const std::string& line) = 0;
};

// A folder that keeps copies of files.
class KeepFolder {
 public:
  virtual ~KeepFolder() = default;
  // Keeps the bytes of the file `path` as the new file `name` in the
  // folder, with `path`'s last-modified time, for as long as it exists,
  // whatever this program does to `path` afterwards: its copies, deletions
  // and ini writes. The two may share their storage (a hard link) where no
  // writer of this program changes a file in place. Returns the file's
  // length in bytes. Throws as FileCopy does.
  virtual std::int64_t Keep(const std::string& path,
                            const std::string& name) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Starts a directory search, like BASIC's Dir(path, mask). `path` is a
  // pattern ("...\*.*", "...\*.ini") or a plain path. An entry is delivered
  // only when each of its hidden (2), system (4) and folder (16) bits is also
  // in `mask`; read-only (1) and archive (32) never keep an entry out. So 0
  // gives plain, read-only and archive files; 15 adds hidden and system files
  // but no folders; 16 adds the folders that are neither hidden nor system
  // ("." and ".." too, for a pattern); 31 gives everything. A plain path gives
  // its own name, as stored, when it exists and passes the filter. Names come
  // in NTFS order (see rules/directory_search.h), "." and ".." first. Returns
  // the first name, or "" when there is none (also when the folder is
  // missing). Throws 76 for a path that cannot be searched at all (an
  // unmapped drive).
  virtual std::string Dir(const std::string& path, int mask) = 0;
  // The next name of the last search started with Dir, "" at the end.
  virtual std::string DirNext() = 0;

  // The attribute bits of a file or folder; throws 53 when it is missing.
  virtual int GetAttr(const std::string& path) = 0;
  // Sets read-only, hidden, system and archive from `attributes` (other bits
  // are ignored); throws 53 when the path is missing.
  virtual void SetAttr(const std::string& path, int attributes) = 0;

  // Copies one file onto `target`, replacing an existing file, and gives the
  // target the source's last-modified time. The copy is written beside the
  // target and renamed over it, so an interrupted copy never leaves a torn
  // target. A target that is read-only or hidden is refused with 70, whatever
  // the source's attributes; the system bit alone does not protect a target
  // (CopyFile's own rule). A target in use is refused with 70 as well.
  // Throws 53 when the source is missing, 75 when the target is a folder, 76
  // when the target's folder is missing.
  virtual void FileCopy(const std::string& source,
                        const std::string& target) = 0;
  // What FileCopyAdmitted asks before a copy takes its target's place: it
  // gets the SHA-256 of the source's bytes (64 lowercase hex digits) and
  // throws to keep the copy out.
  using CopyAdmission = std::function<void(const std::string& sha256)>;
  // As FileCopy, but the copy takes the target's place only once `admit`
  // has accepted the SHA-256 of the source: when `admit` throws, nothing of
  // the copy stays, the target is as it was, and the exception passes on.
  // The default reads the source for its digest first and then copies; a
  // backend may compute the digest while it copies, on another core.
  virtual void FileCopyAdmitted(const std::string& source,
                                const std::string& target,
                                const CopyAdmission& admit);
  // Copies `source` into a new file beside `target` (in the same folder, so
  // on the same volume), for a replacement of `target` at the next restart,
  // which is carried out as a rename and cannot cross volumes. Returns the
  // new file's Windows path; the file gets the source's last-modified time
  // and carries a name of the installer's own that no stale-temporary sweep
  // takes for a left-over, since it must wait for the restart. `target`
  // itself is not touched (it is usually in use). Throws as FileCopy does
  // for the source and the folder.
  virtual std::string StageForRestart(const std::string& source,
                                      const std::string& target) = 0;
  // `tick` is called now and then while FileCopy or StageForRestart moves
  // the bytes of a large file, every few megabytes at most, so that the
  // window stays responsive during one long copy. Default: a backend whose
  // copies never take long calls nothing.
  virtual void SetCopyProgress(std::function<void()> /*tick*/) {}
  // Deletes one file; throws 53 when missing (a folder is no file to
  // delete), 70 when in use or read-only.
  virtual void Kill(const std::string& path) = 0;
  // Makes one folder; throws 75 when the name exists (file or folder), 76
  // when the parent is missing.
  virtual void MkDir(const std::string& path) = 0;
  // Removes one empty folder; throws 75 when it is not empty or is a file,
  // 76 when it is missing, 70 when it may not be removed.
  virtual void RmDir(const std::string& path) = 0;
  // The length of a file in bytes; throws 53 when it is missing, 75 for a
  // folder. The default reads the file through.
  virtual std::int64_t FileLen(const std::string& path);
  // A folder that keeps copies of files (KeepFolder), open while the
  // object lives. Throws 76 when it is missing. The default keeps each
  // copy with FileCopy.
  virtual std::unique_ptr<KeepFolder> OpenKeepFolder(const std::string& folder);

  // The last-modified time of a file, as the file-system object's
  // GetFile(path).DateLastModified gives it; throws 53 for a missing path and
  // for a folder.
  virtual FileTime DateLastModified(const std::string& path) = 0;

  // Appends `line` and CR LF to a text file, creating it when missing; the
  // file is opened and closed within the call. Throws 76 when its folder is
  // missing.
  virtual void AppendLine(const std::string& path, const std::string& line) = 0;

  // An appender to the text file `path` (made when missing), for a file
  // that many lines go to in a row. Throws as AppendLine does. The default
  // appends each line with AppendLine.
  virtual std::unique_ptr<LineAppender> OpenAppender(const std::string& path);

  // Opens a text file for item reading; throws 53 when missing, 70 when it
  // cannot be read.
  virtual std::unique_ptr<ItemReader> OpenForInput(const std::string& path) = 0;

  // Reads the whole content of the file `path` and hands it to `chunk` in
  // order, a piece at a time (pieces of a few MiB at most). Throws 53 when
  // the file is missing, 70 when it cannot be read, 75 for a folder and for
  // an object that is no file (a pipe, a device), which is never waited on.
  virtual void ReadContent(
      const std::string& path,
      const std::function<void(const char* data, std::size_t size)>& chunk) = 0;

  // Makes every file that FileCopy wrote since the last Flush durable: on
  // the disk, so that it survives a power failure (a copy is complete and
  // atomic when FileCopy returns, durable or not). The passes call it once at
  // their end. Never throws. The default has nothing to flush: a backend
  // whose copies are as durable as the platform makes them when they return.
  virtual void Flush() {}

  // Removes what a killed run of this program left in the folder `folder`:
  // the temporaries its copies and ini writes are built in (a file of
  // another program is never touched). Each folder is swept once per run;
  // the passes ask for every folder they work in. Never throws: what cannot
  // be removed stays. The default has nothing to sweep.
  virtual void RemoveStaleTemporaries(const std::string& folder) {
    (void)folder;
  }
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_FILE_SYSTEM_H_
