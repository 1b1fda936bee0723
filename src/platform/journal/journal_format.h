// The lines of a backup journal: what a run changed on the PC, written as
// it goes, so that the change can be undone.
//
// A journal is the text file "journal.txt" in a run's journal folder, one
// record per line (ended by CR LF), its fields separated by tabs. A field
// escapes "\" as "\\", a tab as "\t", CR as "\r" and LF as "\n", so that any
// name and any ini value fit on one line. The records, by their first field:
//
//   rolvex-journal 1 STARTED PACK   the first line: format, start (seconds
//                                   since 1970, UTC), the pack's folder
//   file PATH N ATTR                PATH was this file, with the attributes
//                                   ATTR, before the run first changed it;
//                                   its bytes and time are saved\N
//   none PATH                       PATH did not exist: the run made it
//   folder PATH                     the run makes the folder PATH
//   folder-attr PATH ATTR           the run changes the attributes of the
//                                   existing folder PATH
//   entry PATH SECTION KEY VALUE    the run writes an ini entry into PATH
//   left PATH SIZE TIME DIGEST      what the run left at PATH: "-" for SIZE
//                                   when it left nothing there; DIGEST "-"
//                                   when it is not known
//   run LINE                        the run starts the command LINE
//   restart STAGED TARGET           TARGET is to be replaced by STAGED at
//                                   the next restart
//   end STATUS                      the run ended with STATUS
//   undone TIME                     an undo put the PC back (seconds)
//
// Every record that announces a change is written before the change is
// made; "left" follows it. A journal without "end" is a run that was cut
// off; a final line without its line end is the remains of an interrupted
// write and is left out.
#ifndef ROLVEX_PLATFORM_JOURNAL_JOURNAL_FORMAT_H_
#define ROLVEX_PLATFORM_JOURNAL_JOURNAL_FORMAT_H_

#include <string>
#include <string_view>
#include <vector>

namespace rolvex {

inline constexpr char kJournalFileName[] = "journal.txt";
inline constexpr char kJournalSavedFolder[] = "saved";
inline constexpr char kJournalHeader[] = "rolvex-journal";
inline constexpr int kJournalFormat = 1;

// One record: its fields, unescaped.
using JournalRecord = std::vector<std::string>;

// The line of `record` (without its line end).
std::string FormatJournalRecord(const JournalRecord& record);

// The records of a journal's text, in order; a last line without its line
// end is left out.
std::vector<JournalRecord> ParseJournal(std::string_view text);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_JOURNAL_JOURNAL_FORMAT_H_
