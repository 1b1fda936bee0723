#include "platform/qt/qt_text.h"

#include <QStringDecoder>
#include <QStringList>

namespace rolvex {
namespace {

// Windows-1252 at 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QString DecodeAnsi(const std::string& bytes) {
  QStringDecoder utf8(QStringConverter::Utf8,
                      QStringConverter::Flag::Stateless);
  QString text =
      utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  if (!utf8.hasError()) return text;
  text.clear();
  text.reserve(qsizetype(bytes.size()));
  for (char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    text.append(byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80])
                                            : QChar(char16_t(byte)));
  }
  return text;
}

QFont DesignFont(float points) {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("Lucida Sans Unicode"),
                               QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setBold(true);
  font.setItalic(false);
  font.setUnderline(false);
  font.setPointSizeF(points > 0 ? points : 8);
  return font;
}

}  // namespace rolvex
