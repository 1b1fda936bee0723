// The one exception type of the installer's platform layer.
//
// A platform operation that fails throws RunError carrying what the installer
// reports to the operator: a number in the classic BASIC run-time numbering
// (53 file not found, 70 permission denied, ...), a description and the
// source (the component that failed). A procedure without a handler simply
// lets it pass to its caller, which is how "a run-time error goes on to the
// nearest caller with a handler" is expressed here.
#ifndef ROLVEX_PLATFORM_RUN_ERROR_H_
#define ROLVEX_PLATFORM_RUN_ERROR_H_

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace rolvex {

// Error numbers used by the platform layers; both builds map their native
// failures onto these so that logs read the same on Linux and Windows.
enum ErrorNumber : int {
  kErrInvalidCall = 5,         // Invalid procedure call or argument
  kErrOverflow = 6,            // Overflow
  kErrSubscript = 9,           // Subscript out of range
  kErrBadFileName = 52,        // Bad file name or number
  kErrFileNotFound = 53,       // File not found
  kErrFileAlreadyOpen = 55,    // File already open
  kErrInputPastEnd = 62,       // Input past end of file
  kErrDiskFull = 61,           // Disk full
  kErrDeviceUnavailable = 68,  // Device unavailable
  kErrPermissionDenied = 70,   // Permission denied
  kErrPathFileAccess = 75,     // Path/File access error
  kErrPathNotFound = 76,       // Path not found
  kErrObjectCreate = 429,      // ActiveX component can't create object
  // A file that is not what it should be (Windows' ERROR_FILE_CORRUPT): a
  // pack's file whose content differs from the pack's seal.
  kErrFileCorrupt = 1392,
  kErrCantRun = 453,  // Can't find DLL entry point (function not reachable)
};

// The description an operator knows for a number ("File not found" for 53).
// Unknown numbers give "Application-defined or object-defined error".
const char* StandardDescription(int number);

// The system's own account of a failed call: its code (GetLastError,
// errno) and text (FormatMessageA, strerror).
struct SystemError {
  int code = 0;
  std::string text;
};

// A process that holds a file in use.
struct FileHolder {
  long pid = 0;
  std::string name;  // the program's name ("" when unknown)
};

class RunError : public std::runtime_error {
 public:
  // Source defaults to the program's name, as a run-time error of the
  // program's own statements carries it.
  RunError(int number, std::string description, std::string source = "Rolvex");
  // An error with the standard description of its number.
  static RunError Of(int number, const std::string& source = "Rolvex");

  int number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }

  // What the run report adds to the error; the log line and the message box
  // word only number, description and source.
  const std::optional<SystemError>& system() const { return system_; }
  RunError& WithSystem(SystemError system) {
    system_ = std::move(system);
    return *this;
  }
  // For a file in use: who holds it, when that could be found out.
  const std::vector<FileHolder>& held_by() const { return held_by_; }
  RunError& HeldBy(std::vector<FileHolder> holders) {
    held_by_ = std::move(holders);
    return *this;
  }

 private:
  int number_;
  std::string description_;
  std::string source_;
  std::optional<SystemError> system_;
  std::vector<FileHolder> held_by_;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RUN_ERROR_H_
