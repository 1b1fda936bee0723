#include "settings/directory_parameters.h"

#include <array>

namespace rolvex {
namespace {

struct Default {
  const char* name;
  const char* value;
};

constexpr std::array<Default, 11> kDefaults = {{
    {"WinDir", "C:\\Windows"},
    {"QueltToolsDir", "C:\\QueltTools"},
    {"QueltDCSDir", "C:\\QueltDCS"},
    {"VisuDir", "C:\\Skarbo2000"},
    {"ServicePackDir", "C:\\ServicePacks"},
    {"VisiWinDir", "C:\\VisiWin"},
    {"Computer_Ini", "C:\\Computer.ini"},
    {"Software_Txt", "C:\\Software.txt"},
    {"ServicePack_Log", "C:\\QueltServicePack.log"},
    {"AllUsersProfile", "C:\\Documents and Settings\\All Users"},
    {"BrandChangeDir", "C:\\Brandchange"},
}};

}  // namespace

static_assert(kDefaults.size() == kDirectoryParameterCount);

void SetDefaultDirectoryParameters(DirectoryParameters& parameters) {
  for (std::size_t i = 0; i < kDefaults.size(); ++i) {
    DirectoryParameter& row = parameters.row(static_cast<int>(i) + 1);
    row.name = kDefaults[i].name;
    row.value = kDefaults[i].value;
  }
}

void SetDefaultDirectoryParameters(SettingsState& state) {
  SetDefaultDirectoryParameters(state.parameters);
}

void GetDOSEnvironmentVariable(SettingsState& state, int row,
                               const std::string& call_path) {
  (void)call_path;  // reports nothing itself
  DirectoryParameter& parameter = state.parameters.row(row);
  if (parameter.name.empty()) return;
  std::string value = state.environment.Get(parameter.name);
  if (!value.empty()) parameter.value = value;
}

}  // namespace rolvex
