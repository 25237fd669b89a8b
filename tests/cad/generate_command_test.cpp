// The generate command against the recording CAD application and a window without widgets:
// the order of its steps, the two failure regimes, and what a drawing or blank that could not
// be made leaves alone.
#include "cad/generate/generate_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

#include "cad/cad_session.h"
#include "cad/connection/cad_registry.h"
#include "cad/connection/connect_cad.h"
#include "geometry/gear_pair_data.h"
#include "hobbing/rack_cutter.h"
#include "hobbing/recording_cad.h"

namespace kelvo {
namespace {

using test_support::CadCall;
using test_support::CadOp;

// The main window as the command sees it, with what it did to the window written into the
// same timeline as the CAD calls (each window event notes how many CAD calls came before it).
class FakeWindow final : public MainWindowSeam {
 public:
  explicit FakeWindow(const test_support::RecordingCad& cad) : cad_(cad) {}

  std::string InputText(InputField field) const override {
    return inputs.at(static_cast<std::size_t>(field));
  }
  std::string ResultText(ResultField field) const override {
    return results.at(static_cast<std::size_t>(field));
  }
  void SetResultText(ResultField field, const std::string& text) override {
    if (results == std::array<std::string, 7>{}) Note("results");
    results.at(static_cast<std::size_t>(field)) = text;
  }
  std::string FinenessText() const override { return fineness; }
  int CheckValue(CheckOption option) const override {
    return checks.at(static_cast<std::size_t>(option));
  }
  std::string StatusText() const override { return status; }
  void SetStatusText(const std::string& text) override {
    status = text;
    Note(text.empty() ? "clear" : text == kGeneratingPrompt ? "prompt" : "status " + text);
  }
  void ShowMessage(const std::string& text) override {
    Note(text == kBadInputMessage           ? "msg:bad"
         : text == kSelectGearMessage       ? "msg:select"
         : text == kConnectCadFailedMessage ? "msg:connect"
                                            : "msg:" + text);
  }
  void BeginLongCommand() override { Note("begin"); }
  void EndLongCommand() override { Note("end"); }
  void ShowProgress(const std::string& text, int done, int total) override {
    if (!bar_shown) Note("bar");
    EXPECT_TRUE(total == 0 || (done >= last_done && done <= total)) << text;
    bar_shown = true, caption = text, last_done = done;
    if (on_progress) on_progress();
  }
  void HideProgress() override {
    Note("nobar");
    bar_shown = false, last_done = 0;
  }

  std::array<std::string, 7> inputs{"60", "2", "20", "40", "20", "0", "0"};
  std::array<std::string, 7> results{};
  std::string fineness = "4";
  std::array<int, 3> checks{1, 0, 1};
  std::string status;
  bool bar_shown = false;
  std::string caption;
  int last_done = 0;
  std::function<void()> on_progress;
  std::multimap<std::size_t, std::string> events;  // by the number of CAD calls before them

 private:
  void Note(std::string event) { events.emplace(cad_.calls().size(), std::move(event)); }
  const test_support::RecordingCad& cad_;
};

// One line for a run: window events and CAD calls in the order they happened. The hobbing's
// own calls, checked in the hobbing tests, show as one "cut" per drawing; a failed call ends
// in "!".
std::string Timeline(const test_support::RecordingCad& cad, const FakeWindow& window) {
  std::string line;
  const auto add = [&](const std::string& item) { line += (line.empty() ? "" : " ") + item; };
  const auto window_events = [&](std::size_t calls) {
    const auto [from, to] = window.events.equal_range(calls);
    for (auto it = from; it != to; ++it)
      add(it->second);
  };
  bool cutting = false;
  for (std::size_t i = 0; i < cad.calls().size(); ++i) {
    window_events(i);
    const CadCall& call = cad.calls()[i];
    const std::string where = "@" + std::to_string(call.document) + (call.failed ? "!" : "");
    switch (call.op) {
      case CadOp::ModelSpace:
        continue;
      case CadOp::SetVisible:
        add((call.numbers.at(0) != 0 ? "show" : "hide") + std::string(call.failed ? "!" : ""));
        break;
      case CadOp::SendCommand:
        add(call.text + where);
        break;
      case CadOp::AddDocument:
      case CadOp::AddCylinder:
      case CadOp::AddCircle:
      case CadOp::SetColor:
      case CadOp::ActiveViewport:
      case CadOp::SetDirection:
      case CadOp::SetCenter:
      case CadOp::SetActiveViewport:
        add(test_support::OpName(call.op) + where);
        break;
      default:
        if (!cutting) add("cut" + where);
        cutting = true;
        continue;
    }
    cutting = false;
  }
  window_events(cad.calls().size());
  return line;
}

// The steps of one gear's drawing after its blank, as they must follow each other.
std::string Finish(int drawing, bool shade = true) {
  const std::string at = "@" + std::to_string(drawing);
  return "AddCircle" + at + " SetColor" + at + " ActiveViewport" + at + " SetDirection" + at +
         " SetCenter" + at + " SetActiveViewport" + at + " ZOOM E " + at +
         (shade ? " SHADEMODE G " + at : "");
}
std::string Gear(int drawing, bool shade = true) {
  const std::string at = "@" + std::to_string(drawing);
  return "bar AddDocument" + at + " hide AddCylinder" + at + " cut" + at + " " +
         Finish(drawing, shade) + " nobar";
}

struct Case {
  const char* name;
  std::function<void(FakeWindow&, test_support::RecordingCad&)> set_up;
  std::string timeline;
};

const std::string kStart = "begin prompt hide results ";
const std::string kEnd = " show clear end";

const Case kCases[] = {
    {"default window", {}, kStart + Gear(1) + kEnd},
    {"both gears, no shading",
     [](FakeWindow& w, auto&) {
       w.checks = {1, 1, 0};
     },
     kStart + Gear(1, false) + " " + Gear(2, false) + kEnd},
    {"large gear only",
     [](FakeWindow& w, auto&) {
       w.checks = {0, 1, 1};
     },
     kStart + Gear(1) + kEnd},
    {"no CAD application", [](auto&, auto&) { cad::RegisterClassFactory(cad::kCadProgId, {}); },
     "begin msg:connect end"},
    {"empty Text_m", [](FakeWindow& w, auto&) { w.inputs[1] = ""; },
     "begin prompt hide msg:bad" + kEnd},
    {"hiding the CAD application fails",
     [](auto&, test_support::RecordingCad& cad) { cad.FailCall(CadOp::SetVisible, 1); },
     "begin prompt hide! msg:bad" + kEnd},
    {"neither gear ticked",
     [](FakeWindow& w, auto&) {
       w.checks = {0, 0, 1};
     },
     kStart + "msg:select" + kEnd},
    {"fineness abc leaves the uncut blank and the circle",
     [](FakeWindow& w, auto&) { w.fineness = "abc"; },
     kStart + "bar AddDocument@1 hide AddCylinder@1 " + Finish(1) + " nobar" + kEnd},
    {"a failing step is skipped and the next runs",
     [](auto&, test_support::RecordingCad& cad) { cad.FailCall(CadOp::SetColor, 1); },
     kStart + "bar AddDocument@1 hide AddCylinder@1 cut@1 AddCircle@1 SetColor@1! " +
         Finish(1).substr(Finish(1).find("ActiveViewport")) + " nobar" + kEnd},
    // Mended: a drawing or blank that could not be made must not send this gear's steps into
    // the small gear's drawing.
    {"second drawing cannot be made",
     [](FakeWindow& w, test_support::RecordingCad& cad) {
       w.checks = {1, 1, 1};
       cad.FailCall(CadOp::AddDocument, 2);
     },
     kStart + Gear(1) + " bar AddDocument@2! hide nobar" + kEnd},
    {"second blank cannot be made",
     [](FakeWindow& w, test_support::RecordingCad& cad) {
       w.checks = {1, 1, 1};
       cad.FailCall(CadOp::AddCylinder, 2);
     },
     kStart + Gear(1) + " bar AddDocument@2 hide AddCylinder@2! " + Finish(2) + " nobar" + kEnd},
    {"stopped while cutting",
     [](FakeWindow& w, auto&) {
       w.on_progress = [&w] {
         if (w.caption.find("复制齿槽") != std::string::npos) throw std::runtime_error("stop");
       };
     },
     kStart + "bar AddDocument@1 hide AddCylinder@1 cut@1 nobar" + kEnd},
};

class GenerateCommandTest : public ::testing::Test {
 protected:
  void TearDown() override {
    cad::RegisterClassFactory(cad::kCadProgId, {});
    cadApp.reset(), cadDoc.reset(), blankSolid.reset(), cutterSolid.reset();
    gearPair = {};
  }
};

TEST_F(GenerateCommandTest, RunsItsStepsInOrderAndAlwaysFindsItsWayOut) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    test_support::RecordingCad cad;
    cad::RegisterClassFactory(cad::kCadProgId, [app = cad.application()] { return app; });
    FakeWindow window(cad);
    if (c.set_up) c.set_up(window, cad);
    try {
      mainForm_cmd3D_Click(window);
    } catch (const std::runtime_error& stop) {
      EXPECT_STREQ(stop.what(), "stop");
    }
    EXPECT_EQ(Timeline(cad, window), c.timeline);
    TearDown();
  }
}

// The progress bar names the gear and its phase and ends full; a second run makes drawings of
// its own and calls nothing on the first run's.
TEST_F(GenerateCommandTest, ReportsProgressAndLeavesEarlierDrawingsAlone) {
  test_support::RecordingCad cad;
  cad::RegisterClassFactory(cad::kCadProgId, [app = cad.application()] { return app; });
  FakeWindow window(cad);
  window.checks = {0, 1, 1};
  std::vector<std::string> captions;
  window.on_progress = [&] { captions.push_back(window.caption); };
  mainForm_cmd3D_Click(window);
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.front(), "大齿轮");
  EXPECT_EQ(captions[1].rfind("大齿轮：滚切 0/", 0), 0u) << captions[1];
  EXPECT_EQ(captions.back(), "大齿轮：复制齿槽 39/39");

  const std::size_t first_run = cad.calls().size();
  mainForm_cmd3D_Click(window);
  for (std::size_t i = first_run; i < cad.calls().size(); ++i)
    EXPECT_NE(cad.calls()[i].document, 1) << test_support::OpName(cad.calls()[i].op);
  EXPECT_EQ(cad.CallsOf(CadOp::AddDocument).back().document, 2);
}

}  // namespace
}  // namespace kelvo
