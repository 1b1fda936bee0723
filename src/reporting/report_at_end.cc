#include "reporting/report_at_end.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <ostream>

#include "platform/exit_status.h"
#include "reporting/run_report_json.h"

namespace rolvex {

std::int64_t SecondsNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

ReportAtEnd::ReportAtEnd(std::string path, RunFacts facts,
                         const CodePage& code_page, ProfileStore& profiles,
                         Window& window, WholeFileWriter write,
                         std::ostream& errors)
    : path_(std::move(path)),
      facts_(std::move(facts)),
      code_page_(code_page),
      profiles_(profiles),
      window_(window),
      write_(std::move(write)),
      errors_(errors),
      started_(SecondsNow()) {}

void ReportAtEnd::WriteRunning() {
  if (path_.empty() || written_) return;
  RunReportEnd end;
  end.running = true;
  Put(end);
}

void ReportAtEnd::Write(int exit_status, const std::string& interrupted_by) {
  if (written_) return;
  written_ = true;
  RunReportEnd end;
  if (before_end_) {
    try {
      before_end_(exit_status, end);
    } catch (const std::exception& failure) {
      errors_ << "rolvex: " << failure.what() << std::endl;
    }
  }
  if (path_.empty()) return;
  end.exit_status = exit_status;
  end.interrupted_by = interrupted_by;
  end.ended = SecondsNow();
  Put(end);
}

void ReportAtEnd::Put(RunReportEnd& end) {
  // The report must not change how the program runs or ends: whatever fails
  // here is told on standard error, and the program goes on.
  try {
    end.facts = facts_;
    end.service_pack_folder = window_.ProgramDirectory();
    end.service_pack_version =
        profiles_.GetString("ServicePack", "Version", "", 255,
                            end.service_pack_folder + "\\Rolvex.ini");
    end.started = started_;
    static const RunReport kNothing;
    const std::string problem = write_(
        path_, RunReportJson(report_ ? *report_ : kNothing, end, code_page_));
    if (!problem.empty()) {
      errors_ << "rolvex: report not written: " << problem << std::endl;
    }
  } catch (const std::exception& failure) {
    errors_ << "rolvex: report not written: " << failure.what() << std::endl;
  }
}

ReportingWindow::ReportingWindow(Window& inner, ReportAtEnd& at_end)
    : inner_(inner), at_end_(at_end) {
  inner_.SetSessionEndHandler(
      [this] { at_end_.Write(kExitFailure, "end of session"); });
}

void ReportingWindow::EndProgram(int exit_status) {
  at_end_.Write(exit_status);
  inner_.EndProgram(exit_status);
  // EndProgram does not return; the compiler cannot see that through the
  // virtual call.
  std::abort();
}

}  // namespace rolvex
