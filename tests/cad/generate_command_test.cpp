// The generate command against a recording CAD application and a window without widgets, which
// can fail where a real one cannot; then its first step, reaching the CAD application.
#include "app/commands/generate_command.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "app/commands/command_session.h"
#include "cad/connection/cad_registry.h"
#include "cad/connection/connect_cad.h"
#include "cad/occt/occt_application.h"
#include "cad/viewer/windowed_cad_application.h"
#include "hobbing/recording_cad.h"

namespace kelvo {
namespace {

using test_support::CadOp;

// The default window; its events join the CAD calls' timeline, keyed by the calls made before.
struct FakeWindow final : MainWindowSeam {
  explicit FakeWindow(const test_support::RecordingCad& cad) : cad_(cad) {}
  CommandSession& Session() override { return session; }
  std::string InputText(InputField field) const override {
    return inputs[static_cast<std::size_t>(field)];
  }
  std::string ResultText(ResultField) const override { return ""; }
  void SetResultText(ResultField field, const std::string&) override {
    if (field == ResultField::d1) Note("results");
  }
  std::string FinenessText() const override { return "4"; }
  int CheckValue(CheckOption o) const override { return o != CheckOption::large_gear || both; }
  std::string StatusText() const override { return ""; }
  void SetStatusText(const std::string& text) override { Note(text.empty() ? "clear" : "prompt"); }
  void ShowMessage(const std::string& text) override {
    Note(text == kBadInputMessage ? "msg:bad" : "msg:" + text);
  }
  void BeginLongCommand() override { Note("begin"); }
  void EndLongCommand() override { Note("end"); }
  void ShowProgress(const std::string& caption, int, int) override {
    if (!std::exchange(bar_, true)) Note("bar");
    if (throw_at_replication && caption.find("复制齿槽") != std::string::npos)
      throw std::runtime_error("window failure");
    if (!stop_at.empty() && caption.starts_with(stop_at) && !std::exchange(pressed_, true))
      Note("press"), stop_ = true;
  }
  void HideProgress() override { Note("nobar"), bar_ = false; }
  bool StopRequested() const override { return stop_; }
  void ClearStopRequest() override {
    if (std::exchange(stop_, false)) Note("taken");
  }

  CommandSession session;
  bool both = false, throw_at_replication = false;
  std::array<const char*, 7> inputs = {"60", "2", "20", "40", "20", "0", "0"};
  std::string stop_at;  // the caption at which the stop button is pressed
  std::multimap<std::size_t, std::string> events;
  void Note(std::string event) { events.emplace(cad_.calls().size(), std::move(event)); }
  const test_support::RecordingCad& cad_;
  bool bar_ = false, stop_ = false, pressed_ = false;
};

// Window events and CAD calls in the order they happened, each call with its drawing and a "!"
// when it failed; the hobbing's own calls (tested with the hobbing) show as one "cut".
std::string Timeline(const test_support::RecordingCad& cad, const FakeWindow& window) {
  static const std::set<CadOp> kOwn = {
      CadOp::AddDocument,    CadOp::AddCylinder,  CadOp::AddCircle, CadOp::SetColor,
      CadOp::ActiveViewport, CadOp::SetDirection, CadOp::SetCenter, CadOp::SetActiveViewport};
  std::string line, last;
  const auto add = [&](const std::string& item) { line += (line.empty() ? "" : " ") + item; };
  for (std::size_t i = 0; i <= cad.calls().size(); ++i) {
    for (auto [it, end] = window.events.equal_range(i); it != end; ++it)
      add(last = it->second);
    if (i == cad.calls().size()) break;
    const test_support::CadCall& call = cad.calls()[i];
    if (call.op == CadOp::ModelSpace) continue;
    std::string item = kOwn.count(call.op) ? test_support::OpName(call.op) : "cut";
    if (call.op == CadOp::SetVisible) item = call.numbers[0] != 0 ? "show" : "hide";
    if (call.op == CadOp::MarkShortfall)
      item = (call.numbers[0] == double(cad::Shortfall::Incomplete) ? "不完整:" : "未完成:") +
             call.text;
    if (call.op == CadOp::SendCommand) item = call.text.substr(0, call.text.find(' '));
    if (call.op != CadOp::SetVisible) {
      item += '@';
      item += std::to_string(call.document);
    }
    if (call.failed) item += '!';
    if (item != last || !item.starts_with("cut")) add(last = item);
  }
  return line;
}

// One gear's drawing; marks: what the drawing says it lacks, once it is finished.
std::string Gear(int drawing, std::string blank = "AddCylinder@# cut@#", std::string marks = "") {
  std::string pattern = "bar AddDocument@# hide " + blank;
  pattern +=
      " AddCircle@# SetColor@# ActiveViewport@# SetDirection@# ActiveViewport@# SetCenter@#"
      " ActiveViewport@# SetActiveViewport@# ZOOM@# SHADEMODE@# ";
  if (!marks.empty()) {
    pattern += marks;
    pattern += ' ';
  }
  pattern += "nobar";
  // Built by appending: GCC 12 at -O3 misreads string::replace here as an overlapping copy.
  const std::string number = std::to_string(drawing);
  std::string steps;
  for (const char c : pattern) {
    if (c == '#')
      steps += number;
    else
      steps += c;
  }
  return steps;
}

TEST(GenerateCommandTest, RunsItsStepsInOrderAndAlwaysFindsItsWayOut) {
  // Showing the CAD application again finishes its deferred work, which the bar follows.
  const std::string start = "begin prompt hide results ", end = " show bar nobar clear end";
  // A stop ends the cut, the drawing saying what the gear lacks, begins no later gear, and is
  // taken before the CAD application is shown, so that an earlier gear's deferred work is still
  // done there ("show", not "show!").
  const auto stopped = [](std::string n, std::string lacks) {
    return " bar AddDocument@" + n + " hide AddCylinder@" + n + " cut@" + n + " press cut@" + n +
           " 未完成:已停止：" + lacks + "，分度圆和视图也未设置@" + n + " nobar taken";
  };
  std::string bad_colour =
      start + Gear(1, "AddCylinder@# cut@#", "不完整:未能把分度圆设为红色@1") + end;
  bad_colour.replace(bad_colour.find("SetColor@1"), 10, "SetColor@1!");
  struct Case {
    const char* name;
    bool both;
    CadOp fail = CadOp::Move;
    int nth = 0;  // the nth call of fail fails; 0: none does
    std::string timeline;
    std::string stop_at = {};
    bool window_throws = false;
    std::array<const char*, 7> inputs = {"60", "2", "20", "40", "20", "0", "0"};
  } const cases[] = {
      {"default window", false, CadOp::Move, 0, start + Gear(1) + end},
      {"hiding the CAD application fails", false, CadOp::SetVisible, 1,
       "begin prompt hide! msg:bad" + end},
      // A negative module solves to negative diameters; no gear is made of it.
      {.name = "module -2",
       .both = true,
       .timeline = "begin prompt hide msg:bad" + end,
       .inputs = {"60", "-2", "20", "40", "20", "0", "0"}},
      {"a failing step is skipped, the next runs", false, CadOp::SetColor, 1, bad_colour},
      {"a failing cut: the drawing says which", false, CadOp::Boolean, 5,
       start +
           Gear(1, "AddCylinder@1 cut@1 cut@1! cut@1",
                "不完整:第 5 个切削位置的布尔运算失败，已跳过@1") +
           end},
      {.name = "one tooth: the polar array of one takes nothing from the gear",
       .both = false,
       .timeline = start + Gear(1) + end,
       .inputs = {"41", "2", "1", "40", "20", "0", "0"}},
      // Too late to take anything from the small gear, which is finished; no large gear begun.
      {.name = "stop button after the small gear's last copy, both ticked",
       .both = true,
       .timeline = start + Gear(1, "AddCylinder@1 cut@1 press cut@1") + " taken" + end,
       .stop_at = "小齿轮：复制齿槽 19/19"},
      // The second gear's drawing or blank cannot be made: nothing lands in the first drawing.
      {"no second drawing", true, CadOp::AddDocument, 2,
       start + Gear(1) + " bar AddDocument@2! hide nobar" + end},
      {"no second blank", true, CadOp::AddCylinder, 2,
       start + Gear(1) + " " +
           Gear(2, "AddCylinder@2!", "不完整:未能生成毛坯@2 不完整:未进行滚切，图形中只有毛坯@2") +
           end},
      {"the window fails while cutting", false, CadOp::Move, 0,
       start + "bar AddDocument@1 hide AddCylinder@1 cut@1 nobar" + end, "", true},
      {"stop button in the small gear's replication, both ticked", true, CadOp::Move, 0,
       "begin prompt hide results" + stopped("1", "齿槽只复制了 5/19 个") + end,
       "小齿轮：复制齿槽 5/"},
      {"stop button in the large gear", true, CadOp::Move, 0,
       start + Gear(1) + stopped("2", "滚切只完成了 2/19 个切削位置，其余齿槽未复制") + end,
       "大齿轮：滚切 2/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test_support::RecordingCad cad;
    cad::RegisterClassFactory(cad::kCadProgId, [app = cad.application()] { return app; });
    if (c.nth) cad.FailCall(c.fail, c.nth);
    FakeWindow window(cad);
    window.both = c.both, window.throw_at_replication = c.window_throws, window.stop_at = c.stop_at;
    window.inputs = c.inputs;
    if (c.window_throws) {
      EXPECT_THROW(mainForm_cmd3D_Click(window), std::runtime_error);
    } else {
      mainForm_cmd3D_Click(window);
    }
    EXPECT_EQ(Timeline(cad, window), c.timeline);
    cad::RegisterClassFactory(cad::kCadProgId, {});
  }
}

TEST(ConnectCadTest, PrefersTheRunningInstanceThenStartsOneThenReportsOnce) {
  using namespace cad;
  // The windowed start must fail cleanly where there is no X display for its 3D view.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "generate_command_tests", *argv[] = {name};
  QApplication qt(argc, argv);
  enum Start { NoFactory, Starts, Throws, ThrowsNonStandard, ReturnsNothing, Windowed };
  enum Connected { Running, Started, Earlier };
  // Whether one runs, how a start goes, what is connected, the starts by the first call (a start
  // that failed is tried again by the second).
  // clang-format off
  const std::tuple<bool, Start, Connected, int> cases[] = {
      {true, Starts, Running, 0}, {true, NoFactory, Running, 0}, {false, Starts, Started, 1},
      {false, NoFactory, Earlier, 0}, {false, Throws, Earlier, 1}, {false, ThrowsNonStandard, Earlier, 1},
      {false, ReturnsNothing, Earlier, 1}, {false, Windowed, Earlier, 1}};
  // clang-format on
  for (const auto& [running_one, start, connected, first_starts] : cases) {
    SCOPED_TRACE(::testing::Message() << "running " << running_one << ", start " << int(start));
    std::vector<RunningCookie> cookies;
    std::shared_ptr<CadApplication> started, running;
    int starts = 0;
    // A factory that behaves like a CAD server: what it starts registers itself as running.
    // (start is copied in: Clang 14 cannot capture a structured binding.)
    RegisterClassFactory(
        kCadProgId,
        start == NoFactory ? CadFactory{} : [&, how = start]() -> std::shared_ptr<CadApplication> {
          ++starts;
          if (how == Throws) throw std::runtime_error("cannot open display");
          if (how == ThrowsNonStandard) throw 42;
          if (how == ReturnsNothing) return nullptr;
          if (how == Windowed) return StartWindowedCadApplication();
          cookies.push_back(
              RegisterRunningInstance(kCadProgId, started = MakeHeadlessCadApplication()));
          return started;
        });
    if (running_one)
      cookies.push_back(
          RegisterRunningInstance(kCadProgId, running = MakeHeadlessCadApplication()));
    const std::shared_ptr<CadApplication> earlier = MakeHeadlessCadApplication();
    std::shared_ptr<CadApplication> cadApp = earlier;
    std::vector<std::string> messages;
    const bool failed = connected == Earlier;
    // A second call attaches again to what the first one reached.
    for (int call = 1; call <= 2; ++call) {
      EXPECT_EQ(ConnectCad(cadApp, [&](const std::string& text) { messages.push_back(text); }),
                failed);
      EXPECT_EQ(cadApp, connected == Running ? running : connected == Started ? started : earlier);
      EXPECT_EQ(starts, failed ? call * first_starts : first_starts);
      EXPECT_EQ(messages,
                std::vector<std::string>(failed ? call : 0, std::string(kConnectCadFailedMessage)));
      if (failed) {
        EXPECT_THROW(GetRunningInstance(kCadProgId), CadError) << "nothing half-started";
      }
    }
    for (RunningCookie cookie : cookies)
      RevokeRunningInstance(cookie);
  }
  RegisterClassFactory(kCadProgId, {});
}

}  // namespace
}  // namespace kelvo
