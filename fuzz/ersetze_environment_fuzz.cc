// ErsetzeEnvironment over random tables and texts. Properties:
// - it ends (libFuzzer's -timeout catches a loop), and the text grows by no
//   more than the guard allows: kMaxInsertedChars plus one value;
// - when no value holds a "$", a value cannot form new pairs, so the result
//   is one pass over the text's pairs: known names replaced, unknown ones
//   kept; scanning the result's pairs then finds no name of the table.
//   With a "$" in a value the loop guards decide what stays, and only the
//   bound is checked.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fakes/fake_settings.h"
#include "fakes/fake_parts.h"
#include "fuzz_check.h"
#include "platform/rules/ascii_text.h"
#include "settings/ersetze_environment.h"

namespace {

using rolvex::DirectoryParameters;
using rolvex::SettingsState;

// The value of the first row named `name`, or nullptr.
const std::string* Lookup(const SettingsState& state, const std::string& name) {
  for (int r = 1; r <= DirectoryParameters::kRows; ++r) {
    if (rolvex::AsciiEqualsIgnoringCase(state.parameters.row(r).name, name)) {
      return &state.parameters.row(r).value;
    }
  }
  return nullptr;
}

// One left-to-right pass over the pairs of `text`.
std::string OnePass(const SettingsState& state, const std::string& text) {
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t open = text.find('$', pos);
    std::size_t close =
        open == std::string::npos ? open : text.find('$', open + 1);
    if (close == std::string::npos) return out + text.substr(pos);
    out += text.substr(pos, open - pos);
    const std::string* value =
        Lookup(state, text.substr(open + 1, close - open - 1));
    out += value ? *value : text.substr(open, close - open + 1);
    pos = close + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzedDataProvider in(data, size);
  rolvex::MemoryProfileStore profiles;
  rolvex::FakeEnvironment environment;
  rolvex::FakeParts spare;
  SettingsState state(spare.With(profiles, environment));

  bool dollar_in_values = false;
  std::size_t longest_value = 0;
  for (int r = 1; r <= DirectoryParameters::kRows && in.ConsumeBool(); ++r) {
    auto& row = state.parameters.row(r);
    row.name = in.ConsumeRandomLengthString(12);
    row.value = in.ConsumeRandomLengthString(48);
    dollar_in_values |= row.value.find('$') != std::string::npos;
    if (row.value.size() > longest_value) longest_value = row.value.size();
  }
  const std::string text = in.ConsumeRemainingBytesAsString();

  const std::string result = rolvex::ErsetzeEnvironment(state, text, "Fuzz");
  FUZZ_CHECK(result.size() <=
             text.size() + rolvex::kMaxInsertedChars + longest_value);
  if (!dollar_in_values) {
    FUZZ_CHECK(result == OnePass(state, text));
    FUZZ_CHECK(OnePass(state, result) == result);
  }
  return 0;
}
