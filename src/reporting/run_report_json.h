// The run report as JSON, and writing it so that a reader never sees half
// of it. The format is described in docs/report.md, its schema in
// docs/report.schema.json.
#ifndef ROLVEX_REPORTING_RUN_REPORT_JSON_H_
#define ROLVEX_REPORTING_RUN_REPORT_JSON_H_

#include <cstdint>
#include <functional>
#include <string>

#include "platform/code_page.h"
#include "reporting/run_report.h"

namespace rolvex {

// The version of the report's format (its "format").
inline constexpr int kReportFormat = 2;

// What the report says of the PC and the program, known before the run.
struct RunFacts {
  std::string host;               // the computer's name
  std::string installer_version;  // the program's version
  std::string build;              // "x86", "x64" or "linux"
};

// What the report says besides its entries.
struct RunReportEnd {
  // True for the report written when the run starts: "state": "running",
  // without exit status and end. A run killed before its end leaves it so.
  bool running = false;
  int exit_status = 0;
  std::string service_pack_folder;  // ProgramDir
  std::string service_pack_version;
  // Seconds since 1970-01-01 00:00:00 UTC.
  std::int64_t started = 0;
  std::int64_t ended = 0;
  // True for a prediction of a run rather than a run.
  bool preview = false;
  // "run", or "undo" for the report of an undo.
  std::string kind = "run";
  // The backup journal the run kept or the undo read: its folder and the
  // bytes it holds; no folder when there was none.
  std::string backup_folder;
  std::int64_t backup_bytes = 0;
  // What cut the run off before it could end by itself ("end of session");
  // empty when it ended by itself.
  std::string interrupted_by;
  RunFacts facts;
};

// The report as UTF-8 JSON text on one line, ending in a line feed. The
// installer's texts are bytes in the PC's code page, decoded by
// `code_page`. Never throws but for memory.
std::string RunReportJson(const RunReport& report, const RunReportEnd& end,
                          const CodePage& code_page);

// Writes `text` whole to the file `path`, so that a reader sees the old
// file or the new one (platform/whole_file.h); "" on success, else what
// went wrong.
using WholeFileWriter = std::function<std::string(const std::string& path,
                                                  const std::string& text)>;

// `time` as ISO 8601 in UTC: "2026-12-08T10:43:26Z".
std::string IsoUtc(std::int64_t time);

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_RUN_REPORT_JSON_H_
