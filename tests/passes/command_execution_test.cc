#include "passes/command_execution.h"

#include <gtest/gtest.h>

#include "fakes/installer_rig.h"

namespace rolvex {
namespace {

TEST(ExecCmdTest, ACommandThatCannotStartReturnsAfterOneRoundOfEvents) {
  InstallerRig rig;
  rig.processes.unstartable = {"nothere.exe /x"};
  ExecCmd(rig.state, "nothere.exe /x");
  EXPECT_EQ(rig.processes.started, std::vector<std::string>{"nothere.exe /x"});
  EXPECT_TRUE(rig.processes.waits.empty());
  EXPECT_EQ(rig.window.do_events_count, 1);
  EXPECT_TRUE(rig.Log().empty());
}

TEST(ExecCmdTest, WaitsInSlicesOf100MsWithEventsAfterEach) {
  InstallerRig rig;
  rig.processes.slices["long.exe"] = 3;
  ExecCmd(rig.state, "long.exe");
  EXPECT_EQ(rig.processes.waits, std::vector<int>(4, 100));
  EXPECT_EQ(rig.window.do_events_count, 4);
}

TEST(ExecCmdTest, AClickDuringTheWaitRunsInsideItAndTheWaitGoesOn) {
  InstallerRig rig;
  rig.processes.slices["long.exe"] = 2;
  std::vector<int> clicks;
  rig.window.SetClickHandler([&](int index) { clicks.push_back(index); });
  int waits = 0;
  rig.processes.on_wait = [&](const std::string&) {
    if (++waits == 1) rig.window.QueueClick(0);
  };
  ExecCmd(rig.state, "long.exe");
  EXPECT_EQ(clicks, std::vector<int>{0});
  EXPECT_EQ(rig.processes.waits.size(), 3u);
}

}  // namespace
}  // namespace rolvex
