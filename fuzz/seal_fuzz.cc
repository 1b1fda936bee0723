// The seal's reader and writer over random bytes. Properties: reading never
// fails but by saying which line is wrong; what it accepts is written back in
// a form it reads to the same lines; and any digests and names (line ends
// and backslashes included) written as a seal read back as they were.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "settings/pack_seal.h"

namespace {

bool SameLines(std::vector<rolvex::SealLine> a,
               std::vector<rolvex::SealLine> b) {
  const auto by_path = [](const rolvex::SealLine& x,
                          const rolvex::SealLine& y) {
    return x.path != y.path ? x.path < y.path : x.digest < y.digest;
  };
  std::sort(a.begin(), a.end(), by_path);
  std::sort(b.begin(), b.end(), by_path);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].path != b[i].path || a[i].digest != b[i].digest) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<rolvex::SealLine> read;
  if (rolvex::ParseSeal(bytes, read).empty()) {
    const std::string written = rolvex::FormatSeal(read);
    std::vector<rolvex::SealLine> again;
    FUZZ_CHECK(rolvex::ParseSeal(written, again).empty());
    FUZZ_CHECK(SameLines(read, again));
    FUZZ_CHECK(rolvex::FormatSeal(again) == written);
  }

  // The input cut into names at NUL bytes, each with a digest of its own.
  std::vector<rolvex::SealLine> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i < size && bytes[i] != '\0') continue;
    std::string name = bytes.substr(start, i - start);
    start = i + 1;
    if (name.empty()) continue;
    std::string digest(64, '0');
    for (std::size_t k = 0; k < 64; ++k) {
      digest[k] = "0123456789abcdef"[(lines.size() * 7 + k) % 16];
    }
    lines.push_back({digest, name});
  }
  std::vector<rolvex::SealLine> back;
  FUZZ_CHECK(rolvex::ParseSeal(rolvex::FormatSeal(lines), back).empty());
  FUZZ_CHECK(SameLines(lines, back));
  return 0;
}
