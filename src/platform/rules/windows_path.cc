#include "platform/rules/windows_path.h"

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Adds the components of `text` (separators of either kind) to `path`.
// `is_end`: `text` ends the path, so its trailing dots and blanks go.
void AddComponents(std::string_view text, bool is_end, WindowsPath& path) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = start;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    std::string_view part = text.substr(start, end - start);
    const bool last = end >= text.size();
    start = end + 1;
    if (part == "..") {
      if (!path.parts.empty()) path.parts.pop_back();
      continue;
    }
    if (part == ".") continue;
    if (last && is_end) {
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) {
        part.remove_suffix(1);
      }
    } else if (!last && !part.empty() && part.back() == '.') {
      part.remove_suffix(1);
    }
    if (part.empty()) continue;
    path.parts.emplace_back(part);
  }
}

}  // namespace

std::string WindowsPath::Text() const {
  std::string text{drive, ':'};
  for (const std::string& part : parts) text.append("\\").append(part);
  if (parts.empty() || folder) text += '\\';
  return text;
}

std::optional<WindowsPath> ReadWindowsPath(std::string_view path,
                                           std::string_view current_folder) {
  if (path.empty()) return std::nullopt;
  WindowsPath read;
  const bool has_drive =
      path.size() >= 2 && path[1] == ':' && IsLetter(path[0]);
  std::string_view rest = path;
  std::optional<WindowsPath> base;
  if (has_drive) {
    read.drive = AsciiUpper(path[0]);
    rest = path.substr(2);
    if (rest.empty() || !IsSeparator(rest[0])) {
      // "D:x": from the current folder when it is on D:, else from D:\.
      if (auto current = ReadWindowsPath(current_folder, "");
          current && current->drive == read.drive) {
        read.parts = current->parts;
      }
    }
  } else {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
      return std::nullopt;  // \\server\share, \\?\..., \\.\device
    }
    auto current = ReadWindowsPath(current_folder, "");
    if (!current) return std::nullopt;
    read.drive = current->drive;
    if (path.empty() || !IsSeparator(path[0])) read.parts = current->parts;
  }
  read.folder = !path.empty() && IsSeparator(path.back());
  AddComponents(rest, /*is_end=*/true, read);
  if (read.parts.empty()) read.folder = false;
  return read;
}

}  // namespace rolvex
