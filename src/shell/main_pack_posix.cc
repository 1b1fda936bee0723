// rolvex-pack: checks, seals and verifies a service pack on the machine it
// is built on (see pack/pack_tool.h). FOLDER is a host path.
#include <ctime>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "pack/pack_tool.h"
#include "platform/pc_code_page_names.h"
#include "platform/posix/posix_code_page.h"

int main(int argc, char** argv) {
  using namespace rolvex;
  const CodePage& code_page = CodePageOfEnvironment("rolvex-pack");
  const PackToolIo io{
      .out = std::cout,
      .err = std::cerr,
      .to_terminal =
          [&](const std::string& utf8) { return code_page.ToTerminal(utf8); },
      .pc_code_page_names = PcCodePageNames,
      .now = static_cast<std::int64_t>(std::time(nullptr)),
  };
  try {
    return RunPackTool(std::vector<std::string>(argv + 1, argv + argc), io);
  } catch (const std::exception& failure) {
    std::cerr << "rolvex-pack: " << failure.what() << '\n';
  }
  return kPackNotRun;
}
