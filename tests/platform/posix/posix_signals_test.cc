#include "platform/posix/posix_signals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_process_runner.h"
#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

// A write into a pipe whose reader is gone, in a child process: 0 when the
// child lived on and saw EPIPE, 255 when the signal ended it.
int WriteIntoClosedPipe(bool survive) {
  return RunInChild([survive] {
    signal(SIGPIPE, SIG_DFL);
    if (survive) SurviveClosedOutput();
    int ends[2];
    if (pipe(ends) != 0) return 1;
    close(ends[0]);
    errno = 0;
    const bool failed = write(ends[1], "x", 1) < 0 && errno == EPIPE;
    return failed ? 0 : 2;
  });
}

TEST(SurviveClosedOutputTest, AClosedOutputFailsTheWriteInsteadOfEndingTheRun) {
  EXPECT_EQ(WriteIntoClosedPipe(false), 255);
  EXPECT_EQ(WriteIntoClosedPipe(true), 0);
}

TEST(SurviveClosedOutputTest, StartedProgramsKeepTheDefaultForSigpipe) {
  TempPrefix prefix;
  DriveModel drives(prefix.path());
  PosixProcessRunner runner(drives);
  const std::string out = prefix.path() + "/sigign.txt";
  const std::string script = prefix.drive_c() + "/show.exe";
  TempPrefix::Write(
      script, "#!/bin/sh\ngrep '^SigIgn:' /proc/$$/status > '" + out + "'\n");
  chmod(script.c_str(), 0755);
  const int status = RunInChild([&] {
    SurviveClosedOutput();
    auto process = runner.Start("C:\\show.exe");
    return process && process->Wait(10000) ? 0 : 1;
  });
  ASSERT_EQ(status, 0);
  const std::string line = TempPrefix::Read(out);
  ASSERT_EQ(line.rfind("SigIgn:", 0), 0u) << line;
  const unsigned long long ignored = std::stoull(line.substr(7), nullptr, 16);
  EXPECT_EQ(ignored & (1ull << (SIGPIPE - 1)), 0u);
}

}  // namespace
}  // namespace rolvex
