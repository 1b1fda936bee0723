// Writing the run report where the program ends. Every end of the installer
// goes through Window::EndProgram (the run's end, the exit button, Abort, the
// cancel latch refusing the start, a failure that escaped), so a window that
// writes the report first and then ends as the program's own window does
// covers them all.
#ifndef ROLVEX_REPORTING_REPORT_AT_END_H_
#define ROLVEX_REPORTING_REPORT_AT_END_H_

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <utility>

#include "platform/profile_store.h"
#include "platform/window.h"
#include "reporting/run_report.h"
#include "reporting/run_report_json.h"

namespace rolvex {

// Seconds since 1970-01-01 00:00:00 UTC, now.
std::int64_t SecondsNow();

class ReportAtEnd {
 public:
  // `path` is the report's file (empty: no report is written), written
  // whole by `write` (platform/whole_file.h). The service pack's folder is
  // the window's ProgramDirectory and its version the "Version" of section
  // "ServicePack" in its Rolvex.ini, both read when the report is written.
  // The run counts as started now; the PC's text reads by `code_page`.
  ReportAtEnd(std::string path, RunFacts facts, const CodePage& code_page,
              ProfileStore& profiles, Window& window, WholeFileWriter write,
              std::ostream& errors);
  // The record the report is written from: the installer's, once it is
  // made. Until then the report has no entries.
  void Attach(const RunReport& report) { report_ = &report; }

  // Writes the report of a run that has begun ("state": "running"), which a
  // run killed before its end leaves in place. Never throws.
  void WriteRunning();
  // Writes the report with `exit_status` once; later calls do nothing. A
  // report that cannot be written is one line on `errors`. Never throws.
  // `interrupted_by` names what cut the run off, when something did.
  void Write(int exit_status, const std::string& interrupted_by = "");
  // Called once where the program ends, report or none, before the report
  // is written: `end` may be filled in (a backup journal closed and named).
  using BeforeEnd = std::function<void(int exit_status, RunReportEnd& end)>;
  void SetBeforeEnd(BeforeEnd before_end) {
    before_end_ = std::move(before_end);
  }

 private:
  void Put(RunReportEnd& end);

  std::string path_;
  RunFacts facts_;
  const CodePage& code_page_;
  const RunReport* report_ = nullptr;
  ProfileStore& profiles_;
  Window& window_;
  WholeFileWriter write_;
  std::ostream& errors_;
  std::int64_t started_;
  bool written_ = false;
  BeforeEnd before_end_;
};

// A window that is `inner` in every way, except that ending the program
// writes the report first, and so does a session that ends during the run
// (the report then says so, with the status of a run that did not
// complete).
class ReportingWindow : public Window {
 public:
  ReportingWindow(Window& inner, ReportAtEnd& at_end);

  Control& control(ControlId id) override { return inner_.control(id); }
  float Left() override { return inner_.Left(); }
  float Top() override { return inner_.Top(); }
  float Width() override { return inner_.Width(); }
  float Height() override { return inner_.Height(); }
  void SetLeft(float twips) override { inner_.SetLeft(twips); }
  void SetTop(float twips) override { inner_.SetTop(twips); }
  void SetWidth(float twips) override { inner_.SetWidth(twips); }
  void SetHeight(float twips) override { inner_.SetHeight(twips); }
  void UseFontOf(ControlId id) override { inner_.UseFontOf(id); }
  float TextWidth(const std::string& text) override {
    return inner_.TextWidth(text);
  }
  float ScreenWidthTwips() override { return inner_.ScreenWidthTwips(); }
  float ScreenHeightTwips() override { return inner_.ScreenHeightTwips(); }
  float TwipsPerPixelX() override { return inner_.TwipsPerPixelX(); }
  float TwipsPerPixelY() override { return inner_.TwipsPerPixelY(); }
  void BringToFront() override { inner_.BringToFront(); }
  void Show() override { inner_.Show(); }
  void SetTopmostNoActivate(int x, int y, int cx, int cy) override {
    inner_.SetTopmostNoActivate(x, y, cx, cy);
  }
  void DoEvents() override { inner_.DoEvents(); }
  int MessageBox(const std::string& text, int style,
                 const std::string& title) override {
    return inner_.MessageBox(text, style, title);
  }
  void SetUnattended() override { inner_.SetUnattended(); }
  void KeepResponsive() override { inner_.KeepResponsive(); }
  void SetRunInProgress(bool in_progress) override {
    inner_.SetRunInProgress(in_progress);
  }
  void SetSessionEndHandler(std::function<void()> handler) override {
    inner_.SetSessionEndHandler(std::move(handler));
  }
  [[noreturn]] void EndProgram(int exit_status) override;
  std::string CommandLine() override { return inner_.CommandLine(); }
  std::string ProgramDirectory() override { return inner_.ProgramDirectory(); }
  void SetClickHandler(std::function<void(int index)> handler) override {
    inner_.SetClickHandler(std::move(handler));
  }

 private:
  Window& inner_;
  ReportAtEnd& at_end_;
};

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_REPORT_AT_END_H_
