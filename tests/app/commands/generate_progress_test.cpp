// The progress bar under the status line, as the designer reads it: its captions for each gear
// and phase, over a real build of both default gears in Kelvo's own CAD application (headless),
// and the rules that keep a phase's value from falling.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/commands/generate_command.h"
#include "app/commands/progress_captions.h"
#include "cad/connection/cad_registry.h"
#include "cad/occt/occt_application.h"
#include "cad/occt/occt_document.h"
#include "fake_window.h"

namespace kelvo::test {
namespace {

// The default window with both gears ticked, noting everything the bar shows.
class BarWatcher final : public FakeWindow {
 public:
  BarWatcher() { large_ticked = true; }
  void ShowProgress(const std::string& caption, int done, int total) override {
    shown.push_back({caption, done, total});
  }
  std::vector<ProgressShown> shown;
};

// The caption without its figures: the gear and the phase ("小齿轮：滚切"), or the gear alone.
std::string PhaseOf(const std::string& caption) {
  const std::size_t blank = caption.rfind(' ');
  return blank == std::string::npos ? caption : caption.substr(0, blank);
}

TEST(GenerateProgressTest, EveryCaptionNamesItsGearAndNoValueFallsWithinAPhase) {
  std::shared_ptr<cad::OcctCadApplication> application = cad::MakeHeadlessCadApplication();
  cad::RegisterClassFactory(cad::kCadProgId, [application] { return application; });
  BarWatcher window;
  mainForm_cmd3D_Click(window);
  cad::RegisterClassFactory(cad::kCadProgId, {});
  EXPECT_TRUE(window.messages.empty());

  std::map<std::string, double> reached;  // per phase: the share last shown
  std::map<std::string, int> highest_percent;
  for (const ProgressShown& shown : window.shown) {
    SCOPED_TRACE(shown.caption);
    EXPECT_TRUE(shown.caption.starts_with("小齿轮") || shown.caption.starts_with("大齿轮"));
    EXPECT_EQ(shown.caption.find("%%"), std::string::npos);
    const std::string phase = PhaseOf(shown.caption);
    if (shown.total == 0) continue;  // working, no measure yet
    const double share = static_cast<double>(shown.done) / shown.total;
    EXPECT_GE(share, reached[phase]) << "the value fell within " << phase;
    reached[phase] = share;
    if (shown.caption.ends_with("%")) {
      const std::string percent = shown.caption.substr(phase.size() + 1);
      EXPECT_EQ(std::stoi(percent), shown.done * 100 / shown.total);
      highest_percent[phase] = std::max(highest_percent[phase], std::stoi(percent));
    }
  }
  for (const char* phase : {"小齿轮：滚切", "小齿轮：复制齿槽", "大齿轮：滚切", "大齿轮：复制齿槽"})
    EXPECT_TRUE(reached.contains(phase)) << phase << " never shown";
  EXPECT_DOUBLE_EQ(reached["小齿轮：滚切"], 1.0);
  // The replication deferred to the end is followed too, past the placing of the copies.
  EXPECT_GT(std::max(highest_percent["小齿轮：复制齿槽"], highest_percent["大齿轮：复制齿槽"]), 10);

  // Each drawing says what it holds.
  const std::vector<std::shared_ptr<cad::OcctDocument>> drawings = application->Documents().Open();
  ASSERT_EQ(drawings.size(), 2u);
  EXPECT_EQ(drawings[0]->Description(),
            (cad::DrawingDescription{.subject = "小齿轮",
                                     .details = "z=20 m=2 β=0° x=0 精细度 4",
                                     .file_stem = "gear1_z20_m2"}));
  EXPECT_EQ(drawings[1]->Description(),
            (cad::DrawingDescription{.subject = "大齿轮",
                                     .details = "z=40 m=2 β=0° x=0 精细度 4",
                                     .file_stem = "gear2_z40_m2"}));
}

// Reports that would take a phase's value back (work redone, the evaluation after the copies
// were placed) show the highest value again; an undescribed drawing's evaluation shows nothing.
TEST(ProgressCaptionsTest, APhaseValueNeverFalls) {
  ProgressCaptions captions;
  const HobProgressReport rolling{.positionsDone = 5, .positionCount = 18, .intersectionCount = 19};
  const HobProgressReport placed{
      .positionsDone = 18, .positionCount = 18, .intersectionsDone = 19, .intersectionCount = 19};
  EXPECT_EQ(captions.Start(1), (ProgressShown{"小齿轮", 0, 0}));
  EXPECT_EQ(captions.OfCut(1, rolling), (ProgressShown{"小齿轮：滚切 5/18", 5, 18}));
  EXPECT_EQ(captions.OfCut(1, placed), (ProgressShown{"小齿轮：复制齿槽 10%", 100, 1000}));
  EXPECT_EQ(captions.OfReplication("小齿轮", 0.5),
            (ProgressShown{"小齿轮：复制齿槽 55%", 550, 1000}));
  EXPECT_EQ(captions.OfReplication("小齿轮", 0.1),
            (ProgressShown{"小齿轮：复制齿槽 55%", 550, 1000}))
      << "redone from the start";
  EXPECT_EQ(captions.OfReplication("大齿轮", 0),
            (ProgressShown{"大齿轮：复制齿槽 10%", 100, 1000}));
  EXPECT_EQ(captions.OfReplication("", 0.5), std::nullopt);
}

}  // namespace
}  // namespace kelvo::test
