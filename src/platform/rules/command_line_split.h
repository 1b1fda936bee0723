// Reading a Windows command line the way CreateProcess and the C runtime do.
//
// CreateProcess without an application name finds the program in the first
// token of the line; the C runtime of the started program then splits what
// follows into arguments. Both rules are plain text work, kept here so that
// the POSIX runner and the tests of both builds share one reading.
#ifndef ROLVEX_PLATFORM_RULES_COMMAND_LINE_SPLIT_H_
#define ROLVEX_PLATFORM_RULES_COMMAND_LINE_SPLIT_H_

#include <string>
#include <vector>

namespace rolvex {

// One way of reading the start of a command line as a program name.
struct ProgramCandidate {
  std::string program;    // the program's name, without enclosing quotes
  std::string arguments;  // everything after the program's name, unchanged
};

// The readings CreateProcess tries, in order; the first whose program file
// exists is the one that runs. Blanks and tabs before the program are
// skipped.
// - A line starting with a double quote: one reading, the program up to the
//   next double quote (to the end of the line when there is none); the
//   arguments start right after the closing quote.
// - Otherwise one reading for every run of blanks or tabs: the program is
//   the text before that run, so "C:\Program Files\x.exe a" is tried as
//   "C:\Program" and then "C:\Program Files\x.exe", then the whole line
//   without its trailing blanks.
// An empty (or all blank) line gives no reading.
std::vector<ProgramCandidate> ProgramCandidates(const std::string& line);

// The file names tried for a program: the name as given, then, when its last
// path component has no extension, the name with ".exe" appended (Windows
// appends it; a Linux program usually has no extension, so the name as
// given comes first).
std::vector<std::string> ProgramFileNames(const std::string& program);

// The C runtime's split of an argument text into words (the rules of the
// Microsoft C runtime since Visual C++ 2008):
// - blanks and tabs outside double quotes separate words; runs of them give
//   no empty words;
// - a double quote starts or ends a quoted part, which may hold blanks; a
//   quoted part with nothing in it ("") gives an empty word;
// - inside a quoted part, two double quotes in a row give one literal quote;
// - 2n backslashes before a double quote give n backslashes (and the quote
//   acts as above), 2n+1 give n backslashes and a literal quote; backslashes
//   not followed by a quote stay as they are.
std::vector<std::string> SplitArguments(const std::string& arguments);

// The command line without the program's own path, as WinMain's lpCmdLine
// gives it: the first token is skipped by the Windows rules (up to the next
// double quote when it starts with one, else up to the first blank or tab),
// then the blanks and tabs that separate it from the arguments. The rest
// stands as it is: quotes, inner and trailing blanks are kept.
std::string ArgumentText(const std::string& command_line);

// The folder of a program file's full path: everything before the last
// backslash, with the backslash kept only at a drive root ("C:\"). A path
// without a backslash gives "".
std::string FolderOfProgram(const std::string& program_path);

}  // namespace rolvex

#endif  // ROLVEX_PLATFORM_RULES_COMMAND_LINE_SPLIT_H_
