// record_call.exe: the stand-in for "RegSvr32" and for self-registering
// components in the end-to-end tests under Wine. It appends one line to the
// file named by ROLVEX_REGSVR32_LOG: its name followed by each of its
// argument words (split by the usual C rules) after one blank, so that a test
// sees the command lines the installer ran.
//
// The name is "RegSvr32", unless the program file ends with a name trailer,
// the bytes "\nROLVEX-NAME:" and the name: a test makes a component named
// "Srv.exe(old)" by copying this program and appending such a trailer (data
// after the image does not disturb Windows), so the component's file holds
// everything it needs.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string NameFromTrailer() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "RegSvr32";
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "RegSvr32";
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  const LONGLONG tail = size.QuadPart < 512 ? size.QuadPart : 512;
  std::vector<char> bytes(static_cast<size_t>(tail));
  LARGE_INTEGER at;
  at.QuadPart = size.QuadPart - tail;
  DWORD got = 0;
  SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
  ReadFile(file, bytes.data(), static_cast<DWORD>(tail), &got, nullptr);
  CloseHandle(file);
  const std::string text(bytes.data(), got);
  const std::string marker = "\nROLVEX-NAME:";
  const std::size_t found = text.rfind(marker);
  if (found == std::string::npos) return "RegSvr32";
  std::string name = text.substr(found + marker.size());
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) {
    name.pop_back();
  }
  return name;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("ROLVEX_REGSVR32_LOG", log, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 0;
  std::string line = NameFromTrailer();
  for (int i = 1; i < __argc; ++i) line += std::string(" ") + __argv[i];
  line += "\n";
  // Several programs may record at once; a busy file is tried again, for
  // up to 10 s, as a loaded machine may keep it busy long. A call that
  // cannot be recorded ends with 1, which the installer's report shows.
  for (int attempt = 0; attempt < 500; ++attempt) {
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written,
                nullptr);
      CloseHandle(file);
      char gate[MAX_PATH];
      DWORD g = GetEnvironmentVariableA("ROLVEX_REGSVR32_GATE", gate, MAX_PATH);
      for (int wait = 0; g > 0 && g < MAX_PATH && wait < 600 &&
                         GetFileAttributesA(gate) != INVALID_FILE_ATTRIBUTES;
           ++wait) {
        Sleep(100);
      }
      // ROLVEX_REGSVR32_EXIT: the exit code, for a registration that fails.
      char code[16];
      DWORD c = GetEnvironmentVariableA("ROLVEX_REGSVR32_EXIT", code, 16);
      return c > 0 && c < 16 ? std::atoi(code) : 0;
    }
    Sleep(20);
  }
  return 1;
}
