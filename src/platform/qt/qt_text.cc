#include "platform/qt/qt_text.h"

#include <QStringList>

#include "platform/posix/posix_code_page.h"

namespace rolvex {
QString DecodeAnsi(const std::string& bytes) {
  return QString::fromStdString(PosixCodePage::OfEnvironment().ToUtf8(bytes));
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
