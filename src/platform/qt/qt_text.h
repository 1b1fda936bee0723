// Text and fonts of the Qt window.
#ifndef ROLVEX_PLATFORM_QT_QT_TEXT_H_
#define ROLVEX_PLATFORM_QT_QT_TEXT_H_

#include <QFont>
#include <QString>
#include <string>

namespace rolvex {

// Decodes a caption for display. The installer's texts are bytes in the
// system's 8-bit code page; on Linux that code page is UTF-8, but the ini and
// texts files of a service pack are usually written on Windows in
// Windows-1252. So: valid UTF-8 is taken as UTF-8, anything else as
// Windows-1252 (each byte one character; the five bytes 1252 leaves unused
// become the C1 control characters, as Windows maps them). A German "ß" shows
// correctly either way, and no byte is ever lost.
QString DecodeAnsi(const std::string& bytes);

// The window's font at `points`: "Lucida Sans Unicode" bold where it is
// installed, else the nearest sans-serif (DejaVu Sans on Debian).
QFont DesignFont(float points);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_QT_QT_TEXT_H_
