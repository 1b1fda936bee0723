#include "platform/rules/buffer_item_reader.h"

#include <utility>

#include "platform/run_error.h"

namespace rolvex {

BufferItemReader::BufferItemReader(std::string bytes)
    : bytes_(std::move(bytes)) {}

bool BufferItemReader::AtEnd() { return pos_ >= bytes_.size(); }

std::string BufferItemReader::ReadItem() {
  if (AtEnd()) throw RunError::Of(kErrInputPastEnd);
  SkipBlanksAndTabs();
  if (At('"')) return ReadQuoted();
  return ReadUnquoted();
}

void BufferItemReader::SkipBlanksAndTabs() {
  while (At(' ') || At('\t')) ++pos_;
}

bool BufferItemReader::ConsumeLineEnd() {
  if (At('\r')) {
    ++pos_;
    if (At('\n')) ++pos_;
    return true;
  }
  if (At('\n')) {
    ++pos_;
    return true;
  }
  return false;
}

std::string BufferItemReader::ReadQuoted() {
  std::size_t start = pos_ + 1;
  std::size_t close = bytes_.find('"', start);
  if (close == std::string::npos) {
    // The file ends inside the quotes: the item is what is there.
    pos_ = bytes_.size();
    return bytes_.substr(start);
  }
  pos_ = close + 1;
  SkipBlanksAndTabs();
  if (At(',')) {
    ++pos_;
  } else {
    ConsumeLineEnd();
  }
  return bytes_.substr(start, close - start);
}

std::string BufferItemReader::ReadUnquoted() {
  std::size_t start = pos_;
  std::size_t end = bytes_.find_first_of(",\r\n", start);
  if (end == std::string::npos) end = bytes_.size();
  pos_ = end;
  if (At(',')) {
    ++pos_;
  } else {
    ConsumeLineEnd();
  }
  while (end > start && bytes_[end - 1] == ' ') --end;
  return bytes_.substr(start, end - start);
}

}  // namespace rolvex
