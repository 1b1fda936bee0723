#include "settings/ersetze_environment.h"

#include <array>
#include <string_view>
#include <vector>

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

constexpr int kRows = DirectoryParameters::kRows;
constexpr std::size_t npos = std::string::npos;

// The upper-cased names of the rows, made once per resolution.
class RowNames {
 public:
  explicit RowNames(const DirectoryParameters& parameters) {
    for (int r = 1; r <= kRows; ++r) {
      std::string& name = upper_[r - 1];
      name = AsciiUpperCase(parameters.row(r).name);
      if (name.size() > longest_) longest_ = name.size();
    }
  }

  // The first row (1 to 20) named `name` without regard to case, or 0.
  // `name` is given by its characters in order through `at`.
  template <typename At>
  int Find(std::size_t length, At at) const {
    if (length > longest_) return 0;
    for (int r = 0; r < kRows; ++r) {
      const std::string& candidate = upper_[r];
      if (candidate.size() != length) continue;
      std::size_t i = 0;
      while (i < length && AsciiUpper(at(i)) == candidate[i]) ++i;
      if (i == length) return r + 1;
    }
    return 0;
  }

 private:
  std::array<std::string, kRows> upper_;
  std::size_t longest_ = 0;
};

// The rows named by the pairs of `value`, the value paired on its own.
std::vector<int> ReferencedRows(const RowNames& names, std::string_view value) {
  std::vector<int> rows;
  std::size_t from = 0;
  while (true) {
    std::size_t a = value.find('$', from);
    if (a == npos) break;
    std::size_t c = value.find('$', a + 1);
    if (c == npos) break;
    int row =
        names.Find(c - a - 1, [&](std::size_t i) { return value[a + 1 + i]; });
    if (row != 0) rows.push_back(row);
    from = c + 1;
  }
  return rows;
}

// Rows whose value leads back to their own placeholder, directly or through
// other rows: resolving them would never end.
std::array<bool, kRows + 1> SelfReferringRows(
    const RowNames& names, const DirectoryParameters& parameters) {
  std::array<std::vector<int>, kRows + 1> edges;
  for (int r = 1; r <= kRows; ++r) {
    edges[r] = ReferencedRows(names, parameters.row(r).value);
  }
  std::array<bool, kRows + 1> result{};
  for (int start = 1; start <= kRows; ++start) {
    std::array<bool, kRows + 1> seen{};
    std::vector<int> stack(edges[start].begin(), edges[start].end());
    while (!stack.empty() && !result[start]) {
      int r = stack.back();
      stack.pop_back();
      if (r == start) result[start] = true;
      if (seen[r]) continue;
      seen[r] = true;
      stack.insert(stack.end(), edges[r].begin(), edges[r].end());
    }
  }
  return result;
}

}  // namespace

std::string ErsetzeEnvironment(const SettingsState& state,
                               const std::string& text,
                               const std::string& call_path) {
  (void)call_path;  // reports nothing itself
  return ErsetzeEnvironment(state.parameters, text);
}

std::string ErsetzeEnvironment(const DirectoryParameters& parameters,
                               const std::string& text) {
  // Without two "$" there is no pair to replace; most paths are such.
  const std::size_t first_dollar = text.find('$');
  if (first_dollar == npos || text.find('$', first_dollar + 1) == npos) {
    return text;
  }
  const RowNames names(parameters);
  const std::array<bool, kRows + 1> endless =
      SelfReferringRows(names, parameters);

  // What is still to be searched, reversed: its front is pending.back(), so
  // putting a value in front of it is an append and never moves the rest.
  // Everything before the front is final and sits in `result`.
  std::string pending(text.rbegin(), text.rend());
  std::string result;
  result.reserve(text.size());
  auto take = [&](std::size_t count) {
    result.append(pending.rbegin(), pending.rbegin() + count);
    pending.resize(pending.size() - count);
  };

  // The rows whose values are being searched, innermost last. Everything
  // from `floor` up is what the row's value produced; the row stays in force
  // until a character below its floor is used. (A pair that ends its value
  // exactly, such as $B$ at the end of $C$ = "A$B$", hands the rest of the
  // text over to B's value and leaves C in force.)
  struct Expansion {
    int row;
    std::size_t floor;
  };
  std::vector<Expansion> expanding;
  auto drop_used_up = [&] {
    while (!expanding.empty() && pending.size() < expanding.back().floor) {
      expanding.pop_back();
    }
  };
  // A pair naming a row in force and closing in what that row produced would,
  // once replaced, bring back the row's value in front of the same rest,
  // whose searching never looked beyond that pair: the same rounds again,
  // for ever. A pair that closes below the floor uses up a "$" of the text
  // after it, so such rounds end by themselves.
  auto reenters = [&](int row, std::size_t closing) {
    for (const Expansion& e : expanding) {
      if (e.row == row && closing >= e.floor) return true;
    }
    return false;
  };

  int replacements = 0;
  std::size_t inserted = 0;
  while (true) {
    std::size_t a = pending.rfind('$');
    if (a == npos) break;
    take(pending.size() - 1 - a);  // the text before the "$"
    drop_used_up();
    if (a == 0) break;  // a lone "$" stays
    std::size_t c = pending.rfind('$', a - 1);
    if (c == npos) break;
    const std::size_t length = a - c - 1;
    int row =
        names.Find(length, [&](std::size_t i) { return pending[a - 1 - i]; });
    if (row == 0 || endless[row] || reenters(row, c)) {
      take(length + 2);  // stays as it is; go on after its closing "$"
      continue;
    }
    const std::string& value = parameters.row(row).value;
    if (replacements >= kMaxReplacements ||
        value.size() > kMaxInsertedChars - inserted) {
      break;
    }
    pending.resize(c);
    drop_used_up();
    expanding.push_back({row, pending.size()});
    pending.append(value.rbegin(), value.rend());
    ++replacements;
    inserted += value.size();
  }
  result.append(pending.rbegin(), pending.rend());
  return result;
}

}  // namespace rolvex
