#include "platform/run_error.h"

#include <utility>

namespace rolvex {

const char* StandardDescription(int number) {
  switch (number) {
    case kErrInvalidCall:
      return "Invalid procedure call or argument";
    case kErrOverflow:
      return "Overflow";
    case kErrSubscript:
      return "Subscript out of range";
    case kErrBadFileName:
      return "Bad file name or number";
    case kErrFileNotFound:
      return "File not found";
    case kErrFileAlreadyOpen:
      return "File already open";
    case kErrDiskFull:
      return "Disk full";
    case kErrInputPastEnd:
      return "Input past end of file";
    case kErrDeviceUnavailable:
      return "Device unavailable";
    case kErrPermissionDenied:
      return "Permission denied";
    case kErrPathFileAccess:
      return "Path/File access error";
    case kErrPathNotFound:
      return "Path not found";
    case kErrObjectCreate:
      return "ActiveX component can't create object";
    case kErrFileCorrupt:
      return "The file or directory is corrupted and unreadable";
    case kErrCantRun:
      return "Can't find DLL entry point";
    default:
      return "Application-defined or object-defined error";
  }
}

RunError::RunError(int number, std::string description, std::string source)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)) {}

RunError RunError::Of(int number, const std::string& source) {
  return RunError(number, StandardDescription(number), source);
}

}  // namespace rolvex
