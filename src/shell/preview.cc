#include "shell/preview.h"

#include <exception>
#include <sstream>

#include "platform/exit_status.h"
#include "platform/rules/shown_text.h"
#include "platform/run_error.h"
#include "reporting/report_at_end.h"
#include "reporting/run_report_json.h"
#include "shell/installer.h"
#include "shell/preview_summary.h"
#include "shell/startup.h"

namespace rolvex {

PreviewOutcome RunPreview(const PreviewSources& sources,
                          const std::string& program_dir,
                          std::ostream& errors) {
  DryRunFileSystem files(sources.files, sources.probe);
  DryRunProfileStore profiles(sources.profiles, files);
  RecordingProcessRunner processes(sources.processes, files);
  RecordingRestartScheduler restarts;
  NoPauseClock clock(sources.clock);
  PreviewWindow window("2", program_dir, sources.code_page);
  Installer installer(PlatformParts{files, profiles, sources.environment,
                                    processes, restarts, window, clock,
                                    sources.code_page});

  PreviewOutcome outcome;
  outcome.program_dir = program_dir;
  outcome.started = SecondsNow();
  // Mode "2" ends the program inside the load event; should it return, the
  // run has ended without a word, as a completed one does.
  outcome.exit_status = kExitCompleted;
  try {
    Form_Load(installer);
  } catch (const ProgramEnded& end) {
    outcome.exit_status = end.exit_status;
  } catch (const RunError& error) {
    errors << "rolvex-preview: the run would end with run-time error "
           << error.number() << ": " << error.description() << " ("
           << error.source() << ")\n";
    outcome.exit_status = kExitFailure;
  } catch (const std::exception& failure) {
    errors << "rolvex-preview: the run would end with " << failure.what()
           << '\n';
    outcome.exit_status = kExitFailure;
  }

  outcome.report = installer.run_report;
  outcome.ended = SecondsNow();
  // Read as the run's own report reads it at the end, after the run's
  // writes (a pack that installs its own Rolvex.ini).
  outcome.version = profiles.GetString("ServicePack", "Version", "", 255,
                                       program_dir + "\\Rolvex.ini");
  outcome.log_file = installer.log_file_path;
  if (!outcome.log_file.empty()) {
    outcome.log_lines = files.LinesAppendedTo(outcome.log_file);
  }
  outcome.ini_writes = profiles.writes();
  outcome.command_lines = processes.command_lines();
  outcome.restart_requests = restarts.requests();
  outcome.questions = window.questions();
  return outcome;
}

std::string NotAServicePack(FileSystem& files, const std::string& folder) {
  auto is = [&](const char* name, bool folder_wanted) {
    try {
      const int attributes = files.GetAttr(folder + "\\" + name);
      return ((attributes & kAttrDirectory) != 0) == folder_wanted;
    } catch (const std::exception&) {
      return false;
    }
  };
  if (is("Standard", true) || is("Register", true) || is("Ini", true) ||
      is("Rolvex.ini", false)) {
    return "";
  }
  return folder +
         " is not a service pack: it holds no Standard, Register or Ini "
         "folder and no Rolvex.ini";
}

PreviewArguments ParsePreviewArguments(const std::vector<std::string>& words) {
  PreviewArguments arguments;
  bool have_folder = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "-h" || word == "--help") {
      arguments.help = true;
    } else if (word == "--json") {
      if (i + 1 >= words.size() || words[i + 1].empty()) {
        arguments.error = "--json needs a file name";
        return arguments;
      }
      arguments.json_file = words[++i];
    } else if (word == "--changes") {
      arguments.changes = true;
    } else if (word.size() > 1 && word[0] == '-' && word[1] == '-') {
      arguments.error = "unknown option " + word;
      return arguments;
    } else if (have_folder) {
      arguments.error = "one folder only";
      return arguments;
    } else {
      arguments.folder = word;
      have_folder = true;
    }
  }
  return arguments;
}

void WritePreview(const PreviewOutcome& outcome, Clock& clock,
                  const CodePage& code_page, bool changes_only,
                  std::ostream& out) {
  std::ostringstream text;
  if (changes_only) {
    WritePreviewChangeLines(outcome, clock, text);
  } else {
    for (const std::string& line : outcome.log_lines) text << line << '\n';
    text << kPreviewSummaryHeading << '\n';
    WritePreviewSummary(outcome, clock, text);
  }
  out << ShownText(code_page, text.str());
  out.flush();
}

std::string PreviewJson(const PreviewOutcome& outcome, const RunFacts& facts,
                        const CodePage& code_page) {
  RunReportEnd end;
  end.facts = facts;
  end.exit_status = outcome.exit_status;
  end.service_pack_folder = outcome.program_dir;
  end.service_pack_version = outcome.version;
  end.started = outcome.started;
  end.ended = outcome.ended;
  end.preview = true;
  return RunReportJson(outcome.report, end, code_page);
}

}  // namespace rolvex
