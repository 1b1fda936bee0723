// Item reading over the bytes of a whole text file, the way sequential
// "Input #" into one text variable splits a file. Both backends read the file
// once and hand its bytes to this reader, so that the splitting rules are the
// same on every platform.
//
// Rules, for each ReadItem:
// - Blanks and tabs before the item are skipped.
// - A quoted item (its first byte a double quote) runs to the next double
//   quote; commas, CR and LF inside belong to it. After the closing quote,
//   blanks and tabs are skipped, then one comma or one line end is consumed.
//   Anything else there is left alone and starts the next item (nothing is
//   thrown away). An end of file inside the quotes ends the item: it holds
//   everything after the opening quote.
// - An unquoted item runs to a comma, a CR or an LF and loses its trailing
//   blanks (spaces; a tab is kept as data, as is any other byte). A double
//   quote in its middle is an ordinary byte of the item.
// - A line end is CR LF, a lone CR or a lone LF; it is consumed with the item.
//   So an empty line gives an empty item, and "a," at a line's end gives "a"
//   and then an empty item.
// - NUL bytes, Ctrl-Z and any other bytes are ordinary data; items may be of
//   any length.
// Every ReadItem that does not throw consumes at least one byte, so a loop of
// "while not AtEnd: ReadItem" always ends. After the last line end AtEnd is
// true; trailing blanks without a line end still give one (empty) item.
#ifndef ROLVEX_PLATFORM_RULES_BUFFER_ITEM_READER_H_
#define ROLVEX_PLATFORM_RULES_BUFFER_ITEM_READER_H_

#include <cstddef>
#include <string>

#include "platform/file_system.h"

namespace rolvex {

class BufferItemReader : public ItemReader {
 public:
  explicit BufferItemReader(std::string bytes);

  // True when every byte has been consumed (at once for an empty file).
  bool AtEnd() override;
  // The next item by the rules above; throws RunError 62 at the end.
  std::string ReadItem() override;

  // The offset of the first byte not yet consumed: a caller that wants to
  // know on which line an item stood asks before and after ReadItem.
  std::size_t position() const { return pos_; }

 private:
  bool At(char c) const { return pos_ < bytes_.size() && bytes_[pos_] == c; }
  void SkipBlanksAndTabs();
  // Consumes one CR LF, CR or LF at the current position, if there is one.
  bool ConsumeLineEnd();
  std::string ReadQuoted();
  std::string ReadUnquoted();

  std::string bytes_;
  std::size_t pos_ = 0;
};

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_BUFFER_ITEM_READER_H_
