// RolvexPack.exe: checks, seals and verifies a service pack on the machine
// it is built on (see pack/pack_tool.h). A console program; its words are
// read as UTF-16, so that any file name reaches it whole.
#include <ctime>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "pack/pack_tool.h"
#include "platform/pc_code_page_names.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_code_page.h"

// CommandLineToArgvW, which the lean <windows.h> leaves out.
#include <shellapi.h>

namespace {

std::string Utf8(const wchar_t* wide) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr,
                      nullptr);
  text.pop_back();
  return text;
}

}  // namespace

int main() {
  using namespace rolvex;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv != nullptr && i < argc; ++i)
    args.push_back(Utf8(argv[i]));
  if (argv != nullptr) LocalFree(argv);
  const Win32CodePage code_page;
  const PackToolIo io{
      .out = std::cout,
      .err = std::cerr,
      .to_terminal =
          [&](const std::string& utf8) { return code_page.ToTerminal(utf8); },
      .pc_code_page_names = PcCodePageNames,
      .now = static_cast<std::int64_t>(std::time(nullptr)),
  };
  try {
    return RunPackTool(args, io);
  } catch (const std::exception& failure) {
    std::cerr << "RolvexPack: " << failure.what() << '\n';
  }
  return kPackNotRun;
}
