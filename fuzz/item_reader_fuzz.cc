// BufferItemReader over random bytes. Properties: reading items until AtEnd
// ends, each item consuming at least one byte; the end then throws error 62;
// and no data is thrown away: every byte that is not a separator, a blank or
// a quote (which the rules may consume) turns up in an item, as often as it
// was in the file.
#include <array>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/rules/buffer_item_reader.h"
#include "platform/run_error.h"

namespace {

bool MayBeConsumed(unsigned char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n' ||
         c == '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::array<std::size_t, 256> in_file{}, in_items{};
  for (unsigned char c : bytes) ++in_file[c];

  rolvex::BufferItemReader reader(bytes);
  std::size_t items = 0;
  while (!reader.AtEnd()) {
    // Each item consumes at least one byte.
    FUZZ_CHECK(items <= size);
    for (unsigned char c : reader.ReadItem()) ++in_items[c];
    ++items;
  }
  for (int c = 0; c < 256; ++c) {
    if (MayBeConsumed(static_cast<unsigned char>(c))) {
      FUZZ_CHECK(in_items[c] <= in_file[c]);
    } else {
      FUZZ_CHECK(in_items[c] == in_file[c]);
    }
  }
  bool threw_62 = false;
  try {
    reader.ReadItem();
  } catch (const rolvex::RunError& e) {
    threw_62 = e.number() == 62;
  }
  FUZZ_CHECK(threw_62);
  return 0;
}
