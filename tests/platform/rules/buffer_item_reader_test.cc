#include "platform/rules/buffer_item_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/run_error.h"

namespace rolvex {
namespace {

// Every item of `bytes`, read as the ini pass reads them.
std::vector<std::string> Items(const std::string& bytes) {
  BufferItemReader reader(bytes);
  std::vector<std::string> items;
  while (!reader.AtEnd()) items.push_back(reader.ReadItem());
  return items;
}

using List = std::vector<std::string>;

TEST(BufferItemReaderTest, SplitsAtCommasAndLineEnds) {
  EXPECT_EQ(Items("[Main]\r\nPos=10,20\r\nName=x\r\n"),
            (List{"[Main]", "Pos=10", "20", "Name=x"}));
  // CR LF, lone CR and lone LF all end a line; the last line needs no end.
  EXPECT_EQ(Items("a\rb\nc\r\nd"), (List{"a", "b", "c", "d"}));
  // LF CR is two line ends, so an empty item between them.
  EXPECT_EQ(Items("a\n\rb"), (List{"a", "", "b"}));
  EXPECT_EQ(Items(""), List{});
}

TEST(BufferItemReaderTest, BlanksAndEmptyLines) {
  // Blanks and tabs before an item go, trailing blanks go, a tab at the
  // end and blanks inside stay.
  EXPECT_EQ(Items("  \t Key = v a \r\nx\t\r\n"), (List{"Key = v a", "x\t"}));
  EXPECT_EQ(Items("a\r\n\r\nb\r\n"), (List{"a", "", "b"}));
  EXPECT_EQ(Items("a,\r\nb"), (List{"a", "", "b"}));
  EXPECT_EQ(Items(",,"), (List{"", ""}));
  // Blanks after the last line end still make one empty item.
  EXPECT_EQ(Items("a\r\n   "), (List{"a", ""}));
}

TEST(BufferItemReaderTest, QuotedItemsKeepCommasAndLineEnds) {
  EXPECT_EQ(Items("\"a,b\"\r\nc"), (List{"a,b", "c"}));
  EXPECT_EQ(Items("  \"x\r\ny\"  ,z"), (List{"x\r\ny", "z"}));
  EXPECT_EQ(Items("\"\"\r\n"), List{""});
  // Text after the closing quote is not thrown away: it starts an item.
  EXPECT_EQ(Items("\"a\"b,c"), (List{"a", "b", "c"}));
  // A quote in the middle of an unquoted item is data.
  EXPECT_EQ(Items("Name=\"x\",y"), (List{"Name=\"x\"", "y"}));
  // The file ends inside the quotes: the rest is the item.
  EXPECT_EQ(Items("k=1\r\n\"open, never closed\r\n"),
            (List{"k=1", "open, never closed\r\n"}));
  EXPECT_EQ(Items("\""), List{""});
}

TEST(BufferItemReaderTest, ReadingPastTheEndIsError62) {
  BufferItemReader reader("a\r\n");
  EXPECT_EQ(reader.ReadItem(), "a");
  EXPECT_TRUE(reader.AtEnd());
  try {
    reader.ReadItem();
    FAIL() << "no error past the end";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), kErrInputPastEnd);
  }
}

TEST(BufferItemReaderTest, LongLinesNulBytesAndJunk) {
  std::string line(1 << 20, 'x');
  EXPECT_EQ(Items(line + "\r\n" + line), (List{line, line}));
  EXPECT_EQ(Items(std::string("a\0b,\0\r\n", 7)),
            (List{std::string("a\0b", 3), std::string("\0", 1)}));
  // Arbitrary bytes: every item consumes something, so the loop ends.
  std::string junk;
  unsigned state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    junk += static_cast<char>(state >> 24);
  }
  BufferItemReader reader(junk);
  size_t items = 0;
  while (!reader.AtEnd()) {
    reader.ReadItem();
    ASSERT_LT(++items, junk.size() + 1);
  }
}

}  // namespace
}  // namespace rolvex
