#include "platform/rules/directory_search.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

int DotRank(const std::string& name) {
  if (name == ".") return 0;
  if (name == "..") return 1;
  return 2;
}

// Plain matching of `pattern` against `name`: "*" any run, "?" one
// character, or none when the name is at its end or at a ".". Dynamic
// programming, so no pattern can make it slow.
bool MatchCore(const std::string& pattern, const std::string& name) {
  const size_t n = name.size();
  // reach[j]: the pattern read so far can have consumed name[0, j).
  std::vector<char> reach(n + 1, 0), next(n + 1, 0);
  reach[0] = 1;
  for (char p : pattern) {
    std::fill(next.begin(), next.end(), 0);
    for (size_t j = 0; j <= n; ++j) {
      if (!reach[j]) continue;
      if (p == '*') {
        for (size_t k = j; k <= n; ++k) next[k] = 1;
        break;  // every later position is already reached
      }
      if (p == '?') {
        if (j == n || name[j] == '.') next[j] = 1;
        if (j < n) next[j + 1] = 1;
      } else if (j < n && AsciiUpper(name[j]) == AsciiUpper(p)) {
        next[j + 1] = 1;
      }
    }
    reach.swap(next);
  }
  return reach[n] != 0;
}

}  // namespace

bool IsWildcardPattern(const std::string& component) {
  // A plain scan: find_first_of would test every character with a call.
  for (char c : component) {
    if (c == '*' || c == '?') return true;
  }
  return false;
}

bool WildcardMatches(const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  size_t size = pattern.size();
  if (size >= 2 && pattern.compare(size - 2, 2, ".*") == 0) {
    // "x.*" also matches "x".
    if (name.find('.') == std::string::npos &&
        MatchCore(pattern.substr(0, size - 2), name)) {
      return true;
    }
  } else if (size >= 2 && pattern.back() == '.' &&
             (pattern[size - 2] == '*' || pattern[size - 2] == '?')) {
    return name.find('.') == std::string::npos &&
           MatchCore(pattern.substr(0, size - 1), name);
  }
  return MatchCore(pattern, name);
}

bool NtfsNameLess(const std::string& a, const std::string& b) {
  int rank_a = DotRank(a), rank_b = DotRank(b);
  if (rank_a != rank_b) return rank_a < rank_b;
  if (int order = AsciiCompareIgnoringCase(a, b); order != 0) return order < 0;
  return a < b;
}

void SortNtfs(std::vector<std::string>& names) {
  // The order of NtfsNameLess, with each name upper-cased once instead of
  // in every comparison: a folder's listing is sorted as a whole.
  const std::size_t count = names.size();
  if (count < 2) return;
  std::vector<std::string> upper(count);
  std::vector<int> ranks(count);
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) {
    upper[i] = AsciiUpperCase(names[i]);
    ranks[i] = DotRank(names[i]);
    order[i] = i;
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (ranks[a] != ranks[b]) return ranks[a] < ranks[b];
    if (int c = upper[a].compare(upper[b]); c != 0) return c < 0;
    return names[a] < names[b];
  });
  std::vector<std::string> sorted;
  sorted.reserve(count);
  for (std::size_t i : order) sorted.push_back(std::move(names[i]));
  names = std::move(sorted);
}

bool PassesMask(int attributes, int mask) {
  // Every one of the entry's hiding bits must be asked for: a hidden folder
  // needs both 2 and 16. Read-only and archive never hide an entry.
  const int hiding = attributes & (kAttrHidden | kAttrSystem | kAttrDirectory);
  return (hiding & ~mask) == 0;
}

}  // namespace rolvex
