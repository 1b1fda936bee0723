#include "platform/posix/posix_process_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/posix/posix_drive_model.h"
#include "platform/posix/posix_temp_prefix.h"

namespace rolvex {
namespace {

using ::testing::ElementsAre;

// Runs a test with PATH set to one folder, restoring it afterwards.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string& value) {
    if (const char* old = getenv("PATH")) old_ = old;
    setenv("PATH", value.c_str(), 1);
  }
  ~ScopedPath() { setenv("PATH", old_.c_str(), 1); }

 private:
  std::string old_;
};

class PosixProcessRunnerTest : public ::testing::Test {
 protected:
  PosixProcessRunnerTest() : drives_(prefix_.path()), runner_(drives_) {
    std::filesystem::create_directories(prefix_.drive_c() + "/Tools");
    std::filesystem::create_directories(prefix_.path() + "/bin");
    record_ = prefix_.path() + "/args.txt";
  }

  // An executable script that writes its arguments, one a line, to
  // `record_`, then runs `extra`.
  void Script(const std::string& host_path, const std::string& extra = "") {
    TempPrefix::Write(host_path,
                      "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; "
                      "done > '" +
                          record_ + "'\n" + extra + "\n");
    chmod(host_path.c_str(), 0755);
  }

  // Starts `line`, waits for its end and gives the recorded arguments.
  std::vector<std::string> Run(const std::string& line) {
    std::filesystem::remove(record_);
    auto process = runner_.Start(line);
    EXPECT_NE(process, nullptr) << line;
    if (!process) return {};
    EXPECT_TRUE(process->Wait(10000));
    std::vector<std::string> words;
    std::string text = TempPrefix::Read(record_), word;
    for (char c : text) {
      if (c == '\n') {
        words.push_back(word);
        word.clear();
      } else {
        word += c;
      }
    }
    return words;
  }

  TempPrefix prefix_;
  DriveModel drives_;
  PosixProcessRunner runner_;
  std::string record_;
};

TEST_F(PosixProcessRunnerTest, WindowsPathRunsThroughTheDriveModel) {
  Script(prefix_.drive_c() + "/Tools/Srv.exe");
  // Letter case does not matter in a Windows path.
  EXPECT_THAT(Run("C:\\tools\\SRV.EXE /regserver"), ElementsAre("/regserver"));
  EXPECT_THAT(Run("C:\\Tools\\Srv.exe"), ElementsAre());
  EXPECT_THAT(Run("C:/Tools/Srv.exe a"), ElementsAre("a"));
  // A name without extension finds the ".exe" file.
  EXPECT_THAT(Run("C:\\Tools\\Srv /unregserver"), ElementsAre("/unregserver"));
}

TEST_F(PosixProcessRunnerTest, NameAsGivenComesBeforeTheExeName) {
  Script(prefix_.drive_c() + "/Tools/tool");
  Script(prefix_.drive_c() + "/Tools/tool.exe", "echo exe > '" + record_ + "'");
  EXPECT_THAT(Run("C:\\Tools\\tool x"), ElementsAre("x"));
}

TEST_F(PosixProcessRunnerTest,
       UnquotedPathWithBlanksFindsTheFirstExistingFile) {
  std::filesystem::create_directories(prefix_.drive_c() + "/My Tools");
  Script(prefix_.drive_c() + "/My Tools/Srv.exe");
  EXPECT_THAT(Run("C:\\My Tools\\Srv.exe /regserver"),
              ElementsAre("/regserver"));
  // A shorter prefix that exists wins, and the rest becomes arguments.
  Script(prefix_.drive_c() + "/My.exe");
  EXPECT_THAT(Run("C:\\My Tools\\Srv.exe /regserver"),
              ElementsAre("Tools\\Srv.exe", "/regserver"));
}

TEST_F(PosixProcessRunnerTest, QuotedProgramAndArguments) {
  std::filesystem::create_directories(prefix_.drive_c() + "/My Tools");
  Script(prefix_.drive_c() + "/My Tools/Srv.exe");
  Script(prefix_.drive_c() + "/My.exe");
  EXPECT_THAT(Run("\"C:\\My Tools\\Srv.exe\" \"a b\" c\\\"d \"\""),
              ElementsAre("a b", "c\"d", ""));
}

TEST_F(PosixProcessRunnerTest, BareNameOnPathTakesTheExactNameAnywhereFirst) {
  const std::string early = prefix_.path() + "/early";
  std::filesystem::create_directory(early);
  Script(early + "/regsvr32", "echo any-case >> '" + record_ + "'");
  ScopedPath path("::" + prefix_.path() + "/nothing:" + early + ":" +
                  prefix_.path() + "/bin");
  // Only another spelling on PATH: found all the same, as on Windows.
  EXPECT_THAT(Run("RegSvr32 /u /s C:\\X.dll"),
              ElementsAre("/u", "/s", "C:\\X.dll", "any-case"));
  // The exact name later on PATH wins over Wine's regsvr32 before it.
  Script(prefix_.path() + "/bin/RegSvr32");
  EXPECT_THAT(Run("RegSvr32 /u /s C:\\X.dll"),
              ElementsAre("/u", "/s", "C:\\X.dll"));
}

TEST_F(PosixProcessRunnerTest, RegistrationPathWithBlanksIsSplit) {
  Script(prefix_.path() + "/bin/RegSvr32");
  ScopedPath path(prefix_.path() + "/bin");
  EXPECT_THAT(Run("RegSvr32 /s C:\\My Dir\\X.dll"),
              ElementsAre("/s", "C:\\My", "Dir\\X.dll"));
}

TEST_F(PosixProcessRunnerTest, ProgramThatCannotBeStartedGivesNull) {
  ScopedPath path(prefix_.path() + "/bin");
  EXPECT_EQ(runner_.Start("NoSuchProgram /s x"), nullptr);
  EXPECT_EQ(runner_.Start("C:\\Tools\\missing.exe"), nullptr);
  EXPECT_EQ(runner_.Start("Q:\\unmapped.exe"), nullptr);
  EXPECT_EQ(runner_.Start(""), nullptr);
  EXPECT_EQ(runner_.Start("   "), nullptr);
  // A folder is no program.
  EXPECT_EQ(runner_.Start("C:\\Tools"), nullptr);
  // A file without execute permission, or without an interpreter line.
  TempPrefix::Write(prefix_.drive_c() + "/Tools/plain.exe", "#!/bin/sh\n");
  chmod((prefix_.drive_c() + "/Tools/plain.exe").c_str(), 0644);
  EXPECT_EQ(runner_.Start("C:\\Tools\\plain.exe"), nullptr);
  TempPrefix::Write(prefix_.drive_c() + "/Tools/noshebang.exe", "touch x\n");
  chmod((prefix_.drive_c() + "/Tools/noshebang.exe").c_str(), 0755);
  EXPECT_EQ(runner_.Start("C:\\Tools\\noshebang.exe"), nullptr);
}

TEST_F(PosixProcessRunnerTest, ShellTextInNamesNeverRunsASecondCommand) {
  Script(prefix_.path() + "/bin/RegSvr32");
  ScopedPath path(prefix_.path() + "/bin");
  const std::string marker = prefix_.path() + "/marker";
  for (const std::string& name :
       {"C:\\a;touch " + marker + ";.dll", "C:\\$(touch " + marker + ").dll",
        "C:\\`touch " + marker + "`.dll", "C:\\x\" & touch " + marker,
        "C:\\x' | touch " + marker + " '", "C:\\a\ntouch " + marker}) {
    Run("RegSvr32 /s " + name);
  }
  // Nor when the component itself carries such a name.
  runner_.Start("C:\\a;touch " + marker + ".exe /regserver");
  runner_.Start("C:\\$(touch " + marker + ").exe /regserver");
  EXPECT_FALSE(std::filesystem::exists(marker));
  EXPECT_THAT(Run("RegSvr32 /s C:\\a;b $(c) `d`"),
              ElementsAre("/s", "C:\\a;b", "$(c)", "`d`"));
}

TEST_F(PosixProcessRunnerTest, ChildInheritsEnvironmentAndCurrentFolder) {
  const std::string out = prefix_.path() + "/env.txt";
  TempPrefix::Write(
      prefix_.drive_c() + "/Tools/env.exe",
      "#!/bin/sh\necho \"$ROLVEX_RUNNER_TEST $(pwd)\" > '" + out + "'\n");
  chmod((prefix_.drive_c() + "/Tools/env.exe").c_str(), 0755);
  setenv("ROLVEX_RUNNER_TEST", "inherited", 1);
  char old_cwd[4096];
  ASSERT_NE(getcwd(old_cwd, sizeof old_cwd), nullptr);
  ASSERT_EQ(chdir(prefix_.drive_c().c_str()), 0);
  auto process = runner_.Start("C:\\Tools\\env.exe");
  ASSERT_EQ(chdir(old_cwd), 0);
  unsetenv("ROLVEX_RUNNER_TEST");
  ASSERT_NE(process, nullptr);
  ASSERT_TRUE(process->Wait(10000));
  EXPECT_EQ(TempPrefix::Read(out),
            "inherited " +
                std::filesystem::canonical(prefix_.drive_c()).string() + "\n");
}

// Wine's own regsvr32 registers into WINEPREFIX, else into ~/.wine.
TEST_F(PosixProcessRunnerTest, AWinePrefixIsTheChildsWinePrefix) {
  Script(prefix_.drive_c() + "/Tools/wine.exe",
         "echo \"$WINEPREFIX\" > '" + record_ + "'");
  setenv("WINEPREFIX", "/elsewhere", 1);
  EXPECT_THAT(Run("C:\\Tools\\wine.exe"), ElementsAre("/elsewhere"));
  TempPrefix::Write(prefix_.path() + "/system.reg",
                    "WINE REGISTRY Version 2\n");
  EXPECT_THAT(Run("C:\\Tools\\wine.exe"), ElementsAre(prefix_.path()));
  unsetenv("WINEPREFIX");
}

TEST_F(PosixProcessRunnerTest, WaitTimesOutWhileTheChildRuns) {
  const std::string go = prefix_.path() + "/go";
  Script(prefix_.drive_c() + "/Tools/slow.exe",
         "while [ ! -e '" + go + "' ]; do sleep 0.02; done");
  auto process = runner_.Start("C:\\Tools\\slow.exe");
  ASSERT_NE(process, nullptr);
  auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(process->Wait(100));
  auto waited = std::chrono::steady_clock::now() - before;
  EXPECT_GE(waited, std::chrono::milliseconds(100));
  EXPECT_LT(waited, std::chrono::milliseconds(1000));
  EXPECT_FALSE(process->Wait(0));
  TempPrefix::Write(go, "");
  bool ended = false;
  for (int i = 0; i < 100 && !ended; ++i) ended = process->Wait(100);
  EXPECT_TRUE(ended);
  EXPECT_TRUE(process->Wait(0));  // stays ended
  auto* posix = dynamic_cast<PosixProcess*>(process.get());
  ASSERT_NE(posix, nullptr);
  EXPECT_TRUE(WIFEXITED(posix->wait_status()));
}

TEST_F(PosixProcessRunnerTest, DestroyingAProcessDoesNotKillIt) {
  const std::string go = prefix_.path() + "/go";
  const std::string done = prefix_.path() + "/done";
  Script(
      prefix_.drive_c() + "/Tools/slow.exe",
      "while [ ! -e '" + go + "' ]; do sleep 0.02; done; touch '" + done + "'");
  pid_t pid;
  {
    auto process = runner_.Start("C:\\Tools\\slow.exe");
    ASSERT_NE(process, nullptr);
    pid = dynamic_cast<PosixProcess&>(*process).pid();
  }
  EXPECT_EQ(kill(pid, 0), 0);  // still there
  TempPrefix::Write(go, "");
  for (int i = 0; i < 500 && !std::filesystem::exists(done); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(std::filesystem::exists(done));
  // The next start reaps the ended child: no zombie stays behind.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Script(prefix_.drive_c() + "/Tools/quick.exe");
  auto next = runner_.Start("C:\\Tools\\quick.exe");
  ASSERT_NE(next, nullptr);
  next->Wait(10000);
  EXPECT_EQ(kill(pid, 0), -1);
}

}  // namespace
}  // namespace rolvex
