// The run report as JSON, and writing it so that a reader never sees half
// of it. The format is described in the README ("The run report").
#ifndef ROLVEX_REPORTING_RUN_REPORT_JSON_H_
#define ROLVEX_REPORTING_RUN_REPORT_JSON_H_

#include <cstdint>
#include <string>

#include "reporting/run_report.h"

namespace rolvex {

// What the report says besides its entries, known only at the end.
struct RunReportEnd {
  int exit_status = 0;
  std::string service_pack_folder;  // ProgramDir
  std::string service_pack_version;
  // Seconds since 1970-01-01 00:00:00 UTC.
  std::int64_t started = 0;
  std::int64_t ended = 0;
  // True for a prediction of a run rather than a run.
  bool preview = false;
  // What cut the run off before it could end by itself ("end of session");
  // empty when it ended by itself.
  std::string interrupted_by;
};

// The report as UTF-8 JSON text, ending in a line feed. Text that is not
// valid UTF-8 is taken as Latin-1 (the installer's texts are bytes in the
// system's 8-bit code page). Never throws but for memory.
std::string RunReportJson(const RunReport& report, const RunReportEnd& end);

// `time` as ISO 8601 in UTC: "2026-12-08T10:43:26Z".
std::string IsoUtc(std::int64_t time);

// Writes `text` to `path` through a temporary file beside it, renamed over
// `path` when complete. Returns "" on success, else what went wrong; a
// failed write leaves no temporary file behind.
std::string WriteFileAtomically(const std::string& path,
                                const std::string& text);

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_RUN_REPORT_JSON_H_
