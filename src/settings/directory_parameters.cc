#include "settings/directory_parameters.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

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

// Safety net on top of the cycle check: far more replacements than any
// sensible path needs. Reaching it ends the resolution with the text as it
// stands.
constexpr int kMaxReplacements = 10000;

std::string Upper(const std::string& text) {
  std::string result = text;
  for (char& c : result) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return result;
}

// The first row (1-based) whose upper-cased name equals `upper_name`, or 0.
int FindRow(const std::vector<std::string>& upper_names,
            const std::string& upper_name) {
  for (size_t i = 0; i < upper_names.size(); ++i) {
    if (upper_names[i] == upper_name) return static_cast<int>(i) + 1;
  }
  return 0;
}

// The rows named by the "$Name$" pairs of `value`.
std::vector<int> ReferencedRows(const std::vector<std::string>& upper_names,
                                const std::string& value) {
  std::vector<int> rows;
  std::string::size_type from = 0;
  for (;;) {
    std::string::size_type a = value.find('$', from);
    if (a == std::string::npos) break;
    std::string::size_type c = value.find('$', a + 1);
    if (c == std::string::npos) break;
    int row = FindRow(upper_names, Upper(value.substr(a + 1, c - a - 1)));
    if (row != 0) {
      rows.push_back(row);
      from = c + 1;
    } else {
      from = c + 1;
    }
  }
  return rows;
}

// Rows whose value leads back to their own placeholder, directly or through
// other rows: resolving them would never end.
std::vector<bool> SelfReferringRows(const std::vector<std::string>& upper_names,
                                    const SettingsState& state) {
  const int n = DirectoryParameters::kRows;
  std::vector<std::vector<int>> edges(n + 1);
  for (int r = 1; r <= n; ++r) {
    edges[r] = ReferencedRows(upper_names, state.parameters.row(r).value);
  }
  std::vector<bool> result(n + 1, false);
  for (int start = 1; start <= n; ++start) {
    std::vector<bool> seen(n + 1, false);
    std::vector<int> stack(edges[start].begin(), edges[start].end());
    while (!stack.empty()) {
      int r = stack.back();
      stack.pop_back();
      if (r == start) {
        result[start] = true;
        break;
      }
      if (seen[r]) continue;
      seen[r] = true;
      stack.insert(stack.end(), edges[r].begin(), edges[r].end());
    }
  }
  return result;
}

}  // namespace

void SetDefaultDirectoryParameters(SettingsState& state) {
  for (size_t i = 0; i < kDefaults.size(); ++i) {
    DirectoryParameter& row = state.parameters.row(static_cast<int>(i) + 1);
    row.name = kDefaults[i].name;
    row.value = kDefaults[i].value;
  }
}

void GetDOSEnvironmentVariable(SettingsState& state, int row,
                               const std::string& call_path) {
  (void)call_path;
  DirectoryParameter& parameter = state.parameters.row(row);
  if (parameter.name.empty()) return;
  std::string value = state.environment.Get(parameter.name);
  if (!value.empty()) parameter.value = value;
}

std::string ErsetzeEnvironment(const SettingsState& state,
                               const std::string& text,
                               const std::string& call_path) {
  (void)call_path;
  std::vector<std::string> upper_names;
  for (int r = 1; r <= DirectoryParameters::kRows; ++r) {
    upper_names.push_back(Upper(state.parameters.row(r).name));
  }
  const std::vector<bool> self_referring =
      SelfReferringRows(upper_names, state);

  std::string s = text;
  int replacements = 0;
  std::string::size_type from = 0;
  while (replacements < kMaxReplacements) {
    std::string::size_type a = s.find('$', from);
    if (a == std::string::npos) break;
    std::string::size_type c = s.find('$', a + 1);
    if (c == std::string::npos) break;
    int row = FindRow(upper_names, Upper(s.substr(a + 1, c - a - 1)));
    if (row == 0 || self_referring[row]) {
      // Unknown (or endless) name: the pair stays, the search goes on after
      // its closing "$".
      from = c + 1;
      continue;
    }
    s.replace(a, c - a + 1, state.parameters.row(row).value);
    ++replacements;
    from = 0;
  }
  return s;
}

}  // namespace rolvex
