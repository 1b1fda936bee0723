// A whole installer over the fake parts for the tests of the passes and of
// the run, in the state start-up leaves it in, with a set of short language
// texts.
#ifndef ROLVEX_TESTS_FAKES_INSTALLER_RIG_H_
#define ROLVEX_TESTS_FAKES_INSTALLER_RIG_H_

#include <string>
#include <vector>

#include "fakes/fake_parts.h"
#include "settings/directory_parameters.h"
#include "shell/installer.h"

namespace rolvex {

struct InstallerRig : FakeParts {
  static constexpr char kProgramDir[] = "C:\\SP";
  static constexpr char kLog[] = "C:\\Log.txt";

  InstallerRig() {
    state.program_dir = kProgramDir;
    state.language = "Deutsch";
    state.log_file_path = kLog;
    SetDefaultDirectoryParameters(state);
    // Wide enough that no shown line is shortened.
    window.rec(ControlId::kFrageLabel).width = 1e7f;
    const std::vector<std::pair<int, std::string>> texts = {
        {1, "Standard!"}, {2, "Register!"}, {3, "Ini!"},  {14, "Fehler"},
        {16, "Ordner"},   {17, "Kopie"},    {18, "Komp"}, {19, "Eintrag"},
        {20, "S:"},       {21, "K:"},       {22, "W:"},   {28, "Bleibt"},
        {29, "Abbruch"},  {30, "Attribut"}};
    for (const auto& [nr, text] : texts) {
      profiles.Set(std::string(kProgramDir) + "\\Rolvex.txt", "Deutsch",
                   std::to_string(nr), text);
    }
  }

  // Sets the directory parameter `name` (one of the eleven) to `value`.
  void SetParameter(const std::string& name, const std::string& value) {
    for (int row = 1; row <= DirectoryParameters::kRows; ++row) {
      if (state.parameters.row(row).name == name) {
        state.parameters.row(row).value = value;
      }
    }
  }

  std::vector<std::string> Log() { return memory.Lines(kLog); }
  // The status label's newest line.
  std::string Shown() {
    const std::string caption = window.rec(ControlId::kFrageLabel).caption;
    return caption.substr(caption.rfind('\n') + 1);
  }

  Installer installer{Parts()};
  PassState& state = installer;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_FAKES_INSTALLER_RIG_H_
