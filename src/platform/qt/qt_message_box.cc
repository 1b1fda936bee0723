// The Qt window's message boxes.
#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "platform/window_design.h"

namespace rolvex {

int QtWindow::MessageBox(const std::string& text, int style,
                         const std::string& title) {
  if (unattended_) return kAnswerNone;
  QMessageBox box(main_.get());
  box.setWindowTitle(DecodeAnsi(title.empty() ? kDefaultTitle : title));
  box.setTextFormat(Qt::PlainText);
  box.setText(DecodeAnsi(text));
  box.setWindowModality(Qt::ApplicationModal);
  // Above the panel, which itself stays above other windows.
  if (topmost_) {
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
  }

  if (style != kMbAbortRetryIgnoreCritical) {
    box.setIcon(QMessageBox::NoIcon);
    box.addButton(QMessageBox::Ok);
    box.exec();
    return kAnswerOk;
  }

  box.setIcon(QMessageBox::Critical);
  // Action roles: no button counts as the escape button, so Esc and the
  // title bar's close do nothing and only an answer closes the box, as with
  // the Windows Abort/Retry/Ignore box.
  QPushButton* abort =
      box.addButton(QStringLiteral("&Abort"), QMessageBox::ActionRole);
  QPushButton* retry =
      box.addButton(QStringLiteral("&Retry"), QMessageBox::ActionRole);
  QPushButton* ignore =
      box.addButton(QStringLiteral("&Ignore"), QMessageBox::ActionRole);
  box.setDefaultButton(abort);  // the first button, as on Windows
  for (;;) {
    box.exec();
    QAbstractButton* answer = box.clickedButton();
    if (answer == abort) return kAnswerAbort;
    if (answer == retry) return kAnswerRetry;
    if (answer == ignore) return kAnswerIgnore;
  }
}

}  // namespace rolvex
