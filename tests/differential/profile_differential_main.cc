// rolvex_profile_differential: the programs of the differential test.
//   generate SEED CASES SCRIPT      write a generated script
//   replay SCRIPT TRANSCRIPT        run it through this build's store
//   compare SCRIPT POSIX WIN32      compare two transcripts (exit 1 on an
//                                   unlisted difference)
// The replay keeps its files in a folder of its own, removed at the end.
#include <fstream>
#include <iostream>
#include <string>

#include "differential/native_store.h"
#include "differential/profile_script.h"

namespace {

using namespace rolvex::differential;

std::vector<Step> Load(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot read ") + path);
  return ReadScript(in);
}

int Run(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "generate" && argc == 5) {
    std::ofstream out(argv[4], std::ios::binary);
    WriteScript(Generate(std::stoul(argv[2]), std::stoi(argv[3])), out);
    return out.good() ? 0 : 2;
  }
  if (command == "replay" && argc == 4) {
    std::vector<Step> steps = Load(argv[2]);
    std::ofstream out(argv[3], std::ios::binary);
    NativeStore native;
    Replay(steps, native.store(), native.folder(), out);
    return out.good() ? 0 : 2;
  }
  if (command == "compare" && argc == 5) {
    std::vector<Step> steps = Load(argv[2]);
    std::ifstream posix(argv[3], std::ios::binary);
    std::ifstream win32(argv[4], std::ios::binary);
    return Compare(steps, posix, win32, std::cout) ? 0 : 1;
  }
  std::cerr << "usage: rolvex_profile_differential generate SEED CASES SCRIPT"
               " | replay SCRIPT TRANSCRIPT | compare SCRIPT POSIX WIN32\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "rolvex_profile_differential: " << e.what() << '\n';
    return 2;
  }
}
