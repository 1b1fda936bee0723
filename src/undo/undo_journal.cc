#include "undo/undo_journal.h"

#include <charconv>

#include "platform/rules/ascii_text.h"

namespace rolvex {
namespace {

std::optional<std::int64_t> Number(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string PathKey(const std::string& path) { return AsciiUpperCase(path); }

std::optional<UndoJournal> ReadUndoJournal(const std::string& text) {
  const std::vector<JournalRecord> records = ParseJournal(text);
  if (records.empty() || records[0].size() < 4 ||
      records[0][0] != kJournalHeader ||
      records[0][1] != std::to_string(kJournalFormat)) {
    return std::nullopt;
  }
  UndoJournal journal;
  journal.started = Number(records[0][2]).value_or(0);
  journal.pack_folder = records[0][3];
  auto first_touch = [&](const std::string& path) -> PathRecord* {
    const std::string key = PathKey(path);
    auto [it, added] = journal.paths.try_emplace(key);
    if (!added) return nullptr;
    it->second.path = path;
    journal.steps.push_back({UndoStep::Kind::kPath, key, "", "", ""});
    return &it->second;
  };
  for (std::size_t i = 1; i < records.size(); ++i) {
    const JournalRecord& r = records[i];
    const std::string& kind = r[0];
    if (kind == "file" && r.size() >= 4) {
      if (PathRecord* p = first_touch(r[1])) {
        p->before = PathRecord::Before::kFile;
        p->saved = r[2];
        p->attributes = static_cast<int>(Number(r[3]).value_or(0));
      }
    } else if (kind == "none" && r.size() >= 2) {
      if (PathRecord* p = first_touch(r[1]))
        p->before = PathRecord::Before::kNone;
    } else if (kind == "folder" && r.size() >= 2) {
      if (PathRecord* p = first_touch(r[1])) {
        p->before = PathRecord::Before::kFolderMade;
      }
    } else if (kind == "folder-attr" && r.size() >= 3) {
      if (PathRecord* p = first_touch(r[1])) {
        p->before = PathRecord::Before::kFolderAttributes;
        p->attributes = static_cast<int>(Number(r[2]).value_or(0));
      }
    } else if (kind == "entry" && r.size() >= 5) {
      auto it = journal.paths.find(PathKey(r[1]));
      if (it != journal.paths.end()) {
        it->second.ini_writes.push_back({r[2], r[3], r[4]});
      }
    } else if (kind == "left" && r.size() >= 5) {
      auto it = journal.paths.find(PathKey(r[1]));
      if (it != journal.paths.end()) {
        FileState state;
        state.size = r[2] == "-" ? std::nullopt : Number(r[2]);
        state.time = Number(r[3]).value_or(0);
        state.digest = r[4] == "-" ? "" : r[4];
        it->second.left = state;
      }
    } else if (kind == "run" && r.size() >= 2) {
      journal.steps.push_back({UndoStep::Kind::kCommand, "", r[1], "", ""});
    } else if (kind == "restart" && r.size() >= 3) {
      // Once the restart has carried it out, the target is what was staged.
      auto staged = journal.paths.find(PathKey(r[1]));
      auto target = journal.paths.find(PathKey(r[2]));
      if (staged != journal.paths.end() && target != journal.paths.end()) {
        target->second.left = staged->second.left;
      }
      journal.steps.push_back({UndoStep::Kind::kRestart, "", "", r[1], r[2]});
    } else if (kind == "end") {
      journal.ended = true;
    } else if (kind == "undone") {
      journal.undone = true;
    }
  }
  return journal;
}

}  // namespace rolvex
