// Reading a service pack's ini file as sections and entries, the way the Ini
// pass has always read it: item by item, not line by line.
#ifndef ROLVEX_PASSES_INI_MERGE_H_
#define ROLVEX_PASSES_INI_MERGE_H_

#include <string>

namespace rolvex {

// The current section, key and value while one source file is read.
struct IniMergeState {
  std::string section;
  std::string key;
  std::string value;

  // True when the current entry is to be written after the item just read:
  // all three are non-empty. This is asked after every item, so an item that
  // changes nothing (a comment, the part of a line after a comma) writes the
  // last entry of its section again.
  bool ShouldWrite() const {
    return !section.empty() && !key.empty() && !value.empty();
  }
};

// Applies one item (blanks already removed from both ends) to `state`:
// - a section line: the first "[" is the first character and the first "]"
//   stands at the third character or later; the section becomes what lies
//   between them, blanks included ("[ A ]" is " A "), anything after the "]"
//   ignored; key and value are emptied. "[]" is no section line;
// - before the first section line nothing changes;
// - an item with "=": key is everything before the first "=", value
//   everything after it, neither trimmed ("A=B=C" gives A and B=C);
// - anything else changes nothing.
void ClassifyIniItem(IniMergeState& state, const std::string& item);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_INI_MERGE_H_
