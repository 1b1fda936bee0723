#include "platform/journal/journaling_parts.h"

#include <exception>

#include "platform/run_error.h"

namespace rolvex {
namespace {

// Runs a change of `path` between the journal's two records: what `path`
// was (its failure keeps the change from being made) and what it is after,
// also after a change that failed halfway.
template <typename Change>
void Journaled(Journal& journal, const std::string& path, Change&& change,
               const std::string* digest = nullptr) {
  journal.BeforeChange(path);
  try {
    change();
  } catch (...) {
    journal.AfterChange(path);
    throw;
  }
  journal.AfterChange(path, digest ? *digest : "");
}

}  // namespace

void JournalingFileSystem::SetAttr(const std::string& path, int attributes) {
  journal_.BeforeChange(path);
  inner_.SetAttr(path, attributes);
}

void JournalingFileSystem::FileCopy(const std::string& source,
                                    const std::string& target) {
  Journaled(journal_, target, [&] { inner_.FileCopy(source, target); });
}

void JournalingFileSystem::FileCopyAdmitted(const std::string& source,
                                            const std::string& target,
                                            const CopyAdmission& admit) {
  std::string digest;
  Journaled(
      journal_, target,
      [&] {
        inner_.FileCopyAdmitted(source, target, [&](const std::string& sha256) {
          admit(sha256);
          digest = sha256;
        });
      },
      &digest);
}

std::string JournalingFileSystem::StageForRestart(const std::string& source,
                                                  const std::string& target) {
  std::string staged = inner_.StageForRestart(source, target);
  try {
    journal_.Made(staged);
  } catch (...) {
    try {
      inner_.Kill(staged);
    } catch (const std::exception&) {
    }
    throw;
  }
  return staged;
}

void JournalingFileSystem::Kill(const std::string& path) {
  Journaled(journal_, path, [&] { inner_.Kill(path); });
}

void JournalingFileSystem::MkDir(const std::string& path) {
  bool exists = true;
  try {
    inner_.GetAttr(path);
  } catch (const RunError&) {
    exists = false;
  }
  if (!exists) journal_.BeforeMkDir(path);
  inner_.MkDir(path);
}

void JournalingFileSystem::RmDir(const std::string& path) {
  journal_.BeforeChange(path);
  inner_.RmDir(path);
}

bool JournalingProfileStore::WriteString(const std::string& section,
                                         const std::string& key,
                                         const std::string& value,
                                         const std::string& file) {
  try {
    journal_.BeforeIniWrite(file, section, key, value);
  } catch (const std::exception&) {
    return false;
  }
  return inner_.WriteString(section, key, value, file);
}

std::unique_ptr<Process> JournalingProcessRunner::Start(
    const std::string& command_line) {
  try {
    journal_.BeforeCommand(command_line);
  } catch (const std::exception&) {
    return nullptr;
  }
  return inner_.Start(command_line);
}

bool JournalingRestartScheduler::ReplaceAtRestart(const std::string& source,
                                                  const std::string& target) {
  try {
    journal_.BeforeRestart(source, target);
  } catch (const std::exception&) {
    return false;
  }
  return inner_.ReplaceAtRestart(source, target);
}

}  // namespace rolvex
