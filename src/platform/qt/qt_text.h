// Text and fonts of the Qt window.
#ifndef ROLVEX_PLATFORM_QT_QT_TEXT_H_
#define ROLVEX_PLATFORM_QT_QT_TEXT_H_

#include <QFont>
#include <QString>
#include <string>

namespace rolvex {

// A caption for display: the PC's text decoded by its code page
// (platform/posix/posix_code_page.h).
QString DecodeAnsi(const std::string& bytes);

// The window's font at `points`: "Lucida Sans Unicode" bold where it is
// installed, else the nearest sans-serif (DejaVu Sans on Debian).
QFont DesignFont(float points);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_QT_QT_TEXT_H_
