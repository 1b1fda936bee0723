#include "platform/console/console_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "fakes/fake_code_page.h"

namespace rolvex {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Ended {
  int status;
};

// A console over string streams whose program end throws Ended.
class ConsoleWindowTest : public ::testing::Test {
 protected:
  ConsoleWindow& Make(const std::string& input,
                      ConsoleWindowOptions options = {}) {
    in_.str(input);
    options.exit = [](int status) { throw Ended{status}; };
    window_.emplace(in_, out_, std::move(options), code_page_);
    window_->SetClickHandler([this](int index) { clicks_.push_back(index); });
    return *window_;
  }
  std::string Output() const { return out_.str(); }

  FakeCodePage code_page_;
  std::istringstream in_;
  std::ostringstream out_;
  std::optional<ConsoleWindow> window_;
  std::vector<int> clicks_;
};

TEST_F(ConsoleWindowTest, EachStatusCaptionPrintsItsNewestLineOnce) {
  ConsoleWindow& w = Make("");
  Control& label = w.control(ControlId::kFrageLabel);
  label.SetCaption("\n\n\n\n\n\n\nCopying files");
  // The same message twice is two messages; an empty one an empty line.
  label.SetCaption("\n\n\n\n\n\nCopying files\nCopying files");
  label.SetCaption("\n\n\n\n\nCopying files\nCopying files\n");
  label.SetCaption("single line");
  EXPECT_EQ(Output(), "Copying files\nCopying files\n\nsingle line\n");
  EXPECT_EQ(label.Caption(), "single line");
}

TEST_F(ConsoleWindowTest, OtherCaptionsPrintNothing) {
  ConsoleWindow& w = Make("");
  w.control(ControlId::kLabel1).SetCaption("Text 1");
  w.control(ControlId::kTaste0).SetCaption("Start");
  EXPECT_EQ(Output(), "");
}

TEST_F(ConsoleWindowTest, AbortRetryIgnoreTakesLettersAndWords) {
  ConsoleWindow& w = Make("r\n  I \r\nAbort\nIGNORE\n");
  EXPECT_EQ(w.MessageBox("x", kMbAbortRetryIgnoreCritical, ""), kAnswerRetry);
  EXPECT_EQ(w.MessageBox("x", kMbAbortRetryIgnoreCritical, ""), kAnswerIgnore);
  EXPECT_EQ(w.MessageBox("x", kMbAbortRetryIgnoreCritical, ""), kAnswerAbort);
  EXPECT_EQ(w.MessageBox("x", kMbAbortRetryIgnoreCritical, ""), kAnswerIgnore);
}

TEST_F(ConsoleWindowTest, UnrecognisedAnswerAsksAgain) {
  ConsoleWindow& w = Make("\nx\nretr\nretry\n");
  EXPECT_EQ(w.MessageBox("Copy failed\r\n\r\nSource:Rolvex\r",
                         kMbAbortRetryIgnoreCritical, "Setup"),
            kAnswerRetry);
  const std::string out = Output();
  // CR LF line ends print as terminal lines; a lone CR is shown, not sent.
  EXPECT_THAT(out,
              HasSubstr("--- Setup ---\nCopy failed\n\nSource:Rolvex^M\n"));
  size_t asked = 0;
  for (size_t p = out.find("Please answer"); p != std::string::npos;
       p = out.find("Please answer", p + 1)) {
    ++asked;
  }
  EXPECT_EQ(asked, 3u);
}

// The end of the input is nobody at the console, for this box and every
// later one: the box is printed, and nothing waits.
TEST_F(ConsoleWindowTest, AfterTheEndOfInputNobodyAnswers) {
  ConsoleWindow& w = Make("what?\n");
  EXPECT_EQ(w.MessageBox("x", kMbAbortRetryIgnoreCritical, ""), kAnswerNone);
  EXPECT_EQ(w.MessageBox("Done", kMbOk, ""), kAnswerNone);
  EXPECT_THAT(Output(),
              HasSubstr("--- Rolvex ---\nDone\n(nobody to answer)\n"));
}

TEST_F(ConsoleWindowTest, UnattendedReadsNoAnswer) {
  ConsoleWindow& w = Make("a\n");
  w.SetUnattended();
  EXPECT_EQ(w.MessageBox("x", kMbAbortRetryIgnoreCritical, ""), kAnswerNone);
  EXPECT_EQ(w.MessageBox("Done", kMbOk, ""), kAnswerNone);
}

TEST_F(ConsoleWindowTest, OkBoxConsumesExactlyOneLine) {
  ConsoleWindow& w = Make("anything at all\ni\n");
  EXPECT_EQ(w.MessageBox("Note", kMbOk, ""), kAnswerOk);
  EXPECT_EQ(w.MessageBox("x", kMbAbortRetryIgnoreCritical, ""), kAnswerIgnore);
}

TEST_F(ConsoleWindowTest, WaitLoopPrintsTextsAndButtonsAndPressesByNumber) {
  ConsoleWindow& w = Make("7\n1\n");
  w.control(ControlId::kLabel1).SetCaption("Service Pack 4");
  w.control(ControlId::kLabel2).SetCaption("for the line");
  for (ControlId id : {ControlId::kLabel1, ControlId::kLabel2,
                       ControlId::kTaste0, ControlId::kTaste1}) {
    w.control(id).SetVisible(true);
  }
  try {
    w.RunUntilExit();
    FAIL() << "returned";
  } catch (const Ended& e) {
    EXPECT_EQ(e.status, 2);
  }
  EXPECT_THAT(clicks_, ElementsAre(1));
  EXPECT_EQ(Output(),
            "Service Pack 4\nfor the line\n"
            "[0] Start Service Pack  [1] Exit\n"
            "Please choose 0 or 1.\n"
            "[0] Start Service Pack  [1] Exit\n");
}

TEST_F(ConsoleWindowTest, WaitLoopPicksByUniqueCaptionBeginning) {
  ConsoleWindow& w = Make("STA\nstop\n");
  w.control(ControlId::kTaste0).SetCaption("&Start");
  w.control(ControlId::kTaste1).SetCaption("E&xit");
  w.control(ControlId::kTaste0).SetVisible(true);
  w.control(ControlId::kTaste1).SetVisible(true);
  // The start click returns (a run would end the program); "stop" picks
  // nothing; then the input ends and the exit button is pressed.
  EXPECT_THROW(w.RunUntilExit(), Ended);
  EXPECT_THAT(clicks_, ElementsAre(0, 1));
  EXPECT_THAT(Output(), HasSubstr("[0] Start  [1] Exit\n"));
  EXPECT_THAT(Output(), HasSubstr("Please choose"));
}

TEST_F(ConsoleWindowTest, AmbiguousBeginningPicksNothing) {
  ConsoleWindow& w = Make("e\nex\nexe\n");
  w.control(ControlId::kTaste0).SetCaption("Execute");
  w.control(ControlId::kTaste1).SetCaption("Exit");
  w.control(ControlId::kTaste0).SetVisible(true);
  w.control(ControlId::kTaste1).SetVisible(true);
  EXPECT_THROW(w.RunUntilExit(), Ended);
  EXPECT_THAT(clicks_, ElementsAre(0, 1));
}

TEST_F(ConsoleWindowTest, HiddenButtonCannotBePressed) {
  ConsoleWindow& w = Make("1\nexit\n0\n");
  w.control(ControlId::kTaste0).SetVisible(true);
  EXPECT_THROW(w.RunUntilExit(), Ended);
  EXPECT_THAT(clicks_, ElementsAre(0, 1));
  EXPECT_THAT(Output(), HasSubstr("[0] Start Service Pack\n"));
}

TEST_F(ConsoleWindowTest, EndOfInputInWaitLoopEndsAsTheExitButton) {
  ConsoleWindow& w = Make("");
  w.SetClickHandler(nullptr);
  try {
    w.RunUntilExit();
  } catch (const Ended& e) {
    EXPECT_EQ(e.status, 2);
  }
}

TEST_F(ConsoleWindowTest, EndProgramHandsOverTheStatus) {
  ConsoleWindow& w = Make("");
  try {
    w.EndProgram(3010);
  } catch (const Ended& e) {
    EXPECT_EQ(e.status, 3010);
  }
}

TEST_F(ConsoleWindowTest, StartsWithDesignedLayoutAndScreen) {
  ConsoleWindowOptions options;
  options.command_line = "2";
  options.program_directory = "C:\\ServicePacks";
  options.screen_width_px = 1280;
  options.screen_height_px = 1024;
  ConsoleWindow& w = Make("", options);
  Control& label = w.control(ControlId::kFrageLabel);
  EXPECT_EQ(label.Top(), 750);
  EXPECT_EQ(label.Width(), 3600);
  EXPECT_TRUE(label.Visible());
  EXPECT_EQ(label.FontSize(), 12);
  EXPECT_EQ(w.control(ControlId::kLabel2).FontSize(), 14.25f);
  EXPECT_FALSE(w.control(ControlId::kTaste1).Visible());
  EXPECT_EQ(w.control(ControlId::kTaste0).Caption(), "Start Service Pack ");
  EXPECT_EQ(w.Width(), 15360);
  EXPECT_EQ(w.ScreenWidthTwips(), 1280 * 15);
  EXPECT_EQ(w.ScreenHeightTwips(), 1024 * 15);
  EXPECT_EQ(w.CommandLine(), "2");
  EXPECT_EQ(w.ProgramDirectory(), "C:\\ServicePacks");
}

TEST_F(ConsoleWindowTest, TextWidthGrowsPerByteSoLabelFittingWorks) {
  ConsoleWindow& w = Make("");
  EXPECT_EQ(w.TextWidth(""), 0);
  EXPECT_EQ(w.TextWidth("abc"), 360);
  // 30 characters fill the designed status label exactly.
  EXPECT_EQ(w.TextWidth(std::string(30, 'x')),
            w.control(ControlId::kFrageLabel).Width());
}

TEST_F(ConsoleWindowTest, PanelPositionInPixelsBecomesTheWindowMeasures) {
  ConsoleWindow& w = Make("");
  w.SetTopmostNoActivate(764, 90, 240, 234);
  EXPECT_EQ(w.Left(), 11460);
  EXPECT_EQ(w.Top(), 1350);
  EXPECT_EQ(w.Width(), 3600);
  EXPECT_EQ(w.Height(), 3510);
}

}  // namespace
}  // namespace rolvex
