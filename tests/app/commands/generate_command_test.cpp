// The generate command against a recording CAD application and a window without widgets, which
// can fail where a real one cannot: what it asks of the window and of the CAD application, in
// order, however it goes and however it ends.
#include "app/commands/generate_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/connection/cad_registry.h"
#include "fake_window.h"
#include "hobbing/recording_cad.h"

namespace kelvo::test {
namespace {

using test_support::CadCall;
using test_support::CadOp;
using test_support::RecordingCad;

// One step of a run, in words: something shown in the window, or a call on the CAD
// application. The steps below are the only ones a run is compared with.
using Step = std::string;
using Steps = std::vector<Step>;

// What the window is asked to do.
const Step kInputHeld = "the window holds its input";
const Step kInputFreed = "the window takes input again";
const Step kGeneratingShown = "the status line says the models are being made";
const Step kStatusCleared = "the status line is cleared";
const Step kResultsShown = "the results are shown";
const Step kBarShown = "the progress bar shows";
const Step kBarHidden = "the progress bar goes";
const Step kStopPressed = "the designer presses the stop button";
const Step kStopTaken = "the command takes the stop";
const Step kReportFollows = "an open report follows the session";

Step Message(std::string_view text) {
  return "the message " + std::string(text);
}

// What the CAD application is asked to do.
const Step kCadHidden = "the CAD application is hidden";
const Step kCadShown = "the CAD application is shown";

Step Call(CadOp op, int drawing) {
  return std::string(test_support::OpName(op)) + " in drawing " + std::to_string(drawing);
}

Step Command(std::string_view command, int drawing) {
  return "\"" + std::string(command) + "\" sent to drawing " + std::to_string(drawing);
}

// The calls of the cut itself, one or more in a row (the hobbing's tests hold them one by one).
Step Cutting(int drawing) {
  return "cutting in drawing " + std::to_string(drawing);
}

Step Marked(cad::Shortfall shortfall, std::string_view what, int drawing) {
  const char* mark = shortfall == cad::Shortfall::Incomplete ? "incomplete" : "unfinished";
  return "drawing " + std::to_string(drawing) + " marked " + mark + ": " + std::string(what);
}

Step Failed(const Step& step) {
  return step + ", which fails";
}

Steps Then(std::initializer_list<Steps> parts) {
  Steps steps;
  for (const Steps& part : parts)
    steps.insert(steps.end(), part.begin(), part.end());
  return steps;
}

// The start of a command whose inputs solve: no input, the status line, the CAD application
// hidden, the results shown and followed by an open report.
const Steps kStart = {kInputHeld, kGeneratingShown, kCadHidden, kResultsShown, kReportFollows};
// Every way out once gears were begun: the CAD application shown again, which finishes its
// deferred replication under the bar, an open report following the gears, the status line
// cleared, input taken again.
const Steps kEnd = {kCadShown, kBarShown, kBarHidden, kReportFollows, kStatusCleared, kInputFreed};
// The way out before any gear: nothing waits, no bar shows, no gear for a report to follow.
const Steps kEndBeforeGears = {kCadShown, kStatusCleared, kInputFreed};

// A gear's drawing begun: its bar, the new drawing, the CAD application hidden again.
Steps Opening(int drawing) {
  return {kBarShown, Call(CadOp::AddDocument, drawing), kCadHidden};
}

Steps BlankAndCut(int drawing) {
  return {Call(CadOp::AddCylinder, drawing), Cutting(drawing)};
}

// The red reference circle and the view, shaded; failing: the one call that fails.
Steps Finishing(int drawing, std::optional<CadOp> failing = std::nullopt) {
  Steps steps;
  for (const CadOp op :
       {CadOp::AddCircle, CadOp::SetColor, CadOp::ActiveViewport, CadOp::SetDirection,
        CadOp::ActiveViewport, CadOp::SetCenter, CadOp::ActiveViewport, CadOp::SetActiveViewport}) {
    steps.push_back(op == failing ? Failed(Call(op, drawing)) : Call(op, drawing));
  }
  steps.push_back(Command("ZOOM E ", drawing));
  steps.push_back(Command("SHADEMODE G ", drawing));
  return steps;
}

// A gear's drawing where every step works.
Steps WholeGear(int drawing) {
  return Then({Opening(drawing), BlankAndCut(drawing), Finishing(drawing), {kBarHidden}});
}

// A gear whose cut the stop button ends: the drawing says which gear, where the stop came and
// what the gear lacks, and gets no reference circle and no view; the stop is taken before the
// CAD application is shown, so that an earlier gear's deferred work is still done there.
Steps StoppedGear(int drawing, std::string_view what) {
  return Then({Opening(drawing),
               {Call(CadOp::AddCylinder, drawing), Cutting(drawing), kStopPressed, Cutting(drawing),
                Marked(cad::Shortfall::Unfinished, what, drawing), kBarHidden, kStopTaken}});
}

// The steps of a run in the order they happened: the window's as the window hears of them, each
// after the CAD calls made before it, and the CAD application's from its log.
class Timeline {
 public:
  explicit Timeline(const RecordingCad& cad) : cad_(cad) {}

  void Window(Step step) { window_.emplace_back(cad_.calls().size(), std::move(step)); }

  Steps Taken() const {
    Steps steps;
    auto window = window_.begin();
    for (std::size_t call = 0; call <= cad_.calls().size(); ++call) {
      for (; window != window_.end() && window->first == call; ++window)
        steps.push_back(window->second);
      if (call == cad_.calls().size()) break;
      const std::optional<Step> step = StepOf(cad_.calls()[call]);
      // A run of cutting calls is one step; a failing one stands out.
      if (step && (steps.empty() || *step != steps.back() || !step->starts_with("cutting"))) {
        steps.push_back(*step);
      }
    }
    return steps;
  }

 private:
  // The call as a step; none for asking a drawing for its model space.
  static std::optional<Step> StepOf(const CadCall& call) {
    // The calls a run is compared with one by one; the rest are the cut's.
    static const std::set<CadOp> kTold = {
        CadOp::AddDocument,    CadOp::AddCylinder,  CadOp::AddCircle, CadOp::SetColor,
        CadOp::ActiveViewport, CadOp::SetDirection, CadOp::SetCenter, CadOp::SetActiveViewport};
    Step step;
    if (call.op == CadOp::ModelSpace) return std::nullopt;
    if (call.op == CadOp::SetVisible) {
      step = call.numbers.at(0) != 0 ? kCadShown : kCadHidden;
    } else if (call.op == CadOp::SendCommand) {
      step = Command(call.text, call.document);
    } else if (call.op == CadOp::MarkShortfall) {
      step = Marked(static_cast<cad::Shortfall>(call.numbers.at(0)), call.text, call.document);
    } else {
      step = kTold.contains(call.op) ? Call(call.op, call.document) : Cutting(call.document);
    }
    return call.failed ? Failed(step) : step;
  }

  const RecordingCad& cad_;
  std::vector<std::pair<std::size_t, Step>> window_;  // after how many calls, what
};

// The default window, whose steps join the timeline. The stop button is pressed once, when the
// bar's caption first starts with stop_at.
class WatchedWindow final : public FakeWindow {
 public:
  WatchedWindow(Timeline& timeline, GearPairTexts typed)
      : FakeWindow(std::move(typed)), timeline_(timeline) {}

  void SetResultText(ResultField field, const std::string& text) override {
    FakeWindow::SetResultText(field, text);
    if (field == ResultField::d1) timeline_.Window(kResultsShown);
  }
  void SetStatusText(const std::string& text) override {
    FakeWindow::SetStatusText(text);
    timeline_.Window(text.empty() ? kStatusCleared : kGeneratingShown);
  }
  void ShowMessage(const std::string& text) override { timeline_.Window(Message(text)); }
  void SessionChanged() override { timeline_.Window(kReportFollows); }
  void BeginLongCommand() override { timeline_.Window(kInputHeld); }
  void EndLongCommand() override { timeline_.Window(kInputFreed); }
  void ShowProgress(const std::string& caption, int /*done*/, int /*total*/) override {
    if (!bar_shown_) timeline_.Window(kBarShown);
    bar_shown_ = true;
    if (fails_in_replication && caption.find("复制齿槽") != std::string::npos) {
      throw std::runtime_error("window failure");
    }
    if (!stop_at.empty() && caption.starts_with(stop_at) && !stop_pressed_) {
      timeline_.Window(kStopPressed);
      stop_pressed_ = true;
      stop_requested_ = true;
    }
  }
  void HideProgress() override {
    timeline_.Window(kBarHidden);
    bar_shown_ = false;
  }
  bool StopRequested() const override { return stop_requested_; }
  void ClearStopRequest() override {
    if (stop_requested_) timeline_.Window(kStopTaken);
    stop_requested_ = false;
  }

  std::string stop_at;                // the start of the bar's caption; empty: never pressed
  bool fails_in_replication = false;  // the window fails as the replication's bar shows

 private:
  Timeline& timeline_;
  bool bar_shown_ = false;
  bool stop_pressed_ = false;
  bool stop_requested_ = false;
};

struct FailingCall {
  CadOp op;
  int nth;  // counting from 1
};

struct GenerateCase {
  const char* name;
  GearPairTexts inputs = {};
  bool large_ticked = false;
  std::optional<FailingCall> failing = std::nullopt;
  std::string stop_at = {};
  bool fails_in_replication = false;
  Steps steps = {};
};

// A step marked as skipped carries the technical reason for KELVO_LOG=1: its statement and, for
// the call the test failed, the modeller's own words.
void ExpectSkippedStepsCarryTheModellersReason(const std::vector<CadCall>& calls,
                                               bool a_call_failed) {
  bool modellers_reason_given = false;
  for (const CadCall& call : calls) {
    if (call.op != CadOp::MarkShortfall ||
        call.numbers.at(0) != static_cast<double>(cad::Shortfall::Incomplete)) {
      continue;
    }
    EXPECT_NE(call.detail.find(" failed: "), std::string::npos) << call.text;
    if (call.detail.find("injected by the test") != std::string::npos)
      modellers_reason_given = true;
  }
  const bool marked = std::any_of(calls.begin(), calls.end(), [](const CadCall& call) {
    return call.op == CadOp::MarkShortfall &&
           call.numbers.at(0) == static_cast<double>(cad::Shortfall::Incomplete);
  });
  if (a_call_failed && marked) {
    EXPECT_TRUE(modellers_reason_given);
  }
}

const GenerateCase kGenerateCases[] = {
    {.name = "the default window", .steps = Then({kStart, WholeGear(1), kEnd})},
    {.name = "hiding the CAD application fails",
     .failing = FailingCall{CadOp::SetVisible, 1},
     .steps = Then({{kInputHeld, kGeneratingShown, Failed(kCadHidden), Message(kBadInputMessage)},
                    kEndBeforeGears})},
    {.name = "a failing step is skipped, the next runs",
     .failing = FailingCall{CadOp::SetColor, 1},
     .steps =
         Then({kStart,
               Opening(1),
               BlankAndCut(1),
               Finishing(1, CadOp::SetColor),
               {Marked(cad::Shortfall::Incomplete, "小齿轮：未能把分度圆设为红色", 1), kBarHidden},
               kEnd})},
    {.name = "a failing cut: the drawing says which",
     .failing = FailingCall{CadOp::Boolean, 5},
     .steps = Then(
         {kStart,
          Opening(1),
          {Call(CadOp::AddCylinder, 1), Cutting(1), Failed(Cutting(1)), Cutting(1)},
          Finishing(1),
          {Marked(cad::Shortfall::Incomplete, "小齿轮：第 5 个切削位置的布尔运算失败，已跳过", 1),
           kBarHidden},
          kEnd})},
    // The polar array of one tooth is refused, and takes nothing from the gear.
    {.name = "one tooth",
     .inputs = {.a_true = "41", .z1 = "1"},
     .steps = Then({kStart, WholeGear(1), kEnd})},
    // Too late to take anything from the small gear, which is finished; no large gear begun.
    {.name = "stop button after the small gear's last copy, both ticked",
     .large_ticked = true,
     .stop_at = "小齿轮：复制齿槽 10%",
     .steps = Then({kStart,
                    Opening(1),
                    {Call(CadOp::AddCylinder, 1), Cutting(1), kStopPressed, Cutting(1)},
                    Finishing(1),
                    {kBarHidden, kStopTaken},
                    kEnd})},
    // The second gear's drawing or blank cannot be made: nothing lands in the first drawing.
    {.name = "no second drawing",
     .large_ticked = true,
     .failing = FailingCall{CadOp::AddDocument, 2},
     .steps = Then({kStart,
                    WholeGear(1),
                    {kBarShown, Failed(Call(CadOp::AddDocument, 2)), kCadHidden, kBarHidden},
                    kEnd})},
    {.name = "no second blank",
     .large_ticked = true,
     .failing = FailingCall{CadOp::AddCylinder, 2},
     .steps = Then(
         {kStart,
          WholeGear(1),
          Opening(2),
          {Failed(Call(CadOp::AddCylinder, 2))},
          Finishing(2),
          {Marked(cad::Shortfall::Incomplete, "大齿轮：未能生成毛坯", 2),
           Marked(cad::Shortfall::Incomplete, "大齿轮：未进行滚切，图形中只有毛坯", 2), kBarHidden},
          kEnd})},
    {.name = "the window fails while cutting",
     .fails_in_replication = true,
     .steps = Then({kStart, Opening(1), BlankAndCut(1), {kBarHidden}, kEnd})},
    {.name = "stop button in the small gear's replication, both ticked",
     .large_ticked = true,
     .stop_at = "小齿轮：复制齿槽 2%",
     .steps =
         Then({kStart,
               StoppedGear(1, "小齿轮：复制齿槽被停止，只复制了 4/19 个齿槽；分度圆和视图也未设置"),
               kEnd})},
    {.name = "stop button in the large gear",
     .large_ticked = true,
     .stop_at = "大齿轮：滚切 2/",
     .steps = Then({kStart, WholeGear(1),
                    StoppedGear(2,
                                "大齿轮：滚切被停止，只完成了 2/19 个切削位置；"
                                "齿槽未复制，分度圆和视图也未设置"),
                    kEnd})},
};

TEST(GenerateCommandTest, RunsItsStepsInOrderAndAlwaysFindsItsWayOut) {
  for (const GenerateCase& c : kGenerateCases) {
    SCOPED_TRACE(c.name);
    RecordingCad cad;
    cad::RegisterClassFactory(cad::kCadProgId,
                              [application = cad.application()] { return application; });
    if (c.failing) cad.FailCall(c.failing->op, c.failing->nth);
    Timeline timeline(cad);
    WatchedWindow window(timeline, c.inputs);
    window.large_ticked = c.large_ticked;
    window.stop_at = c.stop_at;
    window.fails_in_replication = c.fails_in_replication;
    if (c.fails_in_replication) {
      EXPECT_THROW(mainForm_cmd3D_Click(window), std::runtime_error);
    } else {
      mainForm_cmd3D_Click(window);
    }
    EXPECT_EQ(timeline.Taken(), c.steps);
    ExpectSkippedStepsCarryTheModellersReason(cad.calls(), c.failing.has_value());
    cad::RegisterClassFactory(cad::kCadProgId, {});
  }
}

// What the report measures: each gear cut to the end, the last of each gear of each pair, with
// the fineness it was cut with and whether every step that shapes it ran; not a gear a stop ended.
TEST(GenerateCommandTest, TheSessionKeepsTheGearsCutToTheEndForTheReport) {
  RecordingCad cad;
  cad::RegisterClassFactory(cad::kCadProgId,
                            [application = cad.application()] { return application; });
  FakeWindow window;
  window.large_ticked = true;
  const auto gears_of = [&](const GearPairTexts& texts) {
    std::vector<std::string> gears;
    for (const BuiltGear& built : window.session.GearsBuiltFor(*SolvePairFromTexts(texts))) {
      gears.push_back(std::to_string(built.gearNo) +
                      (built.complete ? " complete" : " incomplete") + " fineness " +
                      std::to_string(static_cast<int>(built.fineness)));
    }
    return gears;
  };
  using Gears = std::vector<std::string>;

  mainForm_cmd3D_Click(window);
  EXPECT_EQ(gears_of({}), Gears({"1 complete fineness 4", "2 complete fineness 4"}));
  const std::shared_ptr<cad::Cad3DSolid> first_small = window.session.builtGears.front().gear;
  EXPECT_TRUE(first_small);

  // The same pair again, its large gear's circle not red: the new gears take the old ones' place.
  cad.FailCall(CadOp::SetColor, 4);  // the first run made two
  mainForm_cmd3D_Click(window);
  EXPECT_EQ(window.session.builtGears.size(), 2u);
  EXPECT_EQ(gears_of({}), Gears({"1 complete fineness 4", "2 incomplete fineness 4"}));
  EXPECT_NE(window.session.GearsBuiltFor(window.session.gearPair).front().gear, first_small);

  // Another pair: its gears beside the first pair's; the report of either finds its own.
  const GearPairTexts helical{
      .a_true = "100", .z1 = "23", .z2 = "73", .b = "30", .beta = "15", .x1 = "0.3"};
  const auto booleans = [&] {
    return static_cast<int>(
        std::count_if(cad.calls().begin(), cad.calls().end(),
                      [](const CadCall& call) { return call.op == CadOp::Boolean; }));
  };
  window.inputs = helical;
  window.large_ticked = false;
  const int before_small = booleans();
  mainForm_cmd3D_Click(window);
  const int small_gear_booleans = booleans() - before_small;
  EXPECT_EQ(window.session.builtGears.size(), 3u);
  EXPECT_EQ(gears_of(helical), Gears({"1 complete fineness 4"}));
  EXPECT_EQ(gears_of({}).size(), 2u);

  // A stop in the helical pair's large gear: the small one, finished, is kept; the large is not.
  window.large_ticked = true;
  cad.StopAtCall(CadOp::Boolean, booleans() + small_gear_booleans + 5);
  mainForm_cmd3D_Click(window);
  EXPECT_EQ(gears_of(helical), Gears({"1 complete fineness 4"}));
  EXPECT_NE(window.session.GearsBuiltFor(window.session.gearPair).front().gear,
            window.session.blankSolid)
      << "the stopped gear is the current blank, but not a gear to measure";
  cad::RegisterClassFactory(cad::kCadProgId, {});
}

}  // namespace
}  // namespace kelvo::test
