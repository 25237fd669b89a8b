// The generate button end to end: the real main window, the real OpenCASCADE application in its
// 3D window, on an X display (CTest runs this under xvfb-run). The runs share one CAD
// application, as a designer's session does: every later run must leave the earlier drawings.
// (That the bar's captions name the gear, the recording command test shows.)
#include <BRepClass3d_SolidClassifier.hxx>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <chrono>
#include <cmath>
#include <iostream>
#include <optional>

#include "app/main_form.h"
#include "cad/cad_session.h"
#include "cad/connection/connect_cad.h"
#include "cad/generate/generate_command.h"
#include "cad/occt/occt_entity.h"
#include "viewer_test_support.h"

namespace kelvo::cad::testing {
namespace {

using Texts = std::array<const char*, 7>;
const Texts kDefault = {"60", "2", "20", "40", "20", "0", "0"};
const Texts kSmallPair = {"24", "2", "10", "14", "20", "0", "0"};  // cheap to cut
const Texts kHalfTooth = {"62", "2", "21.5", "40", "20", "0", "0"};
const Texts kNoModule = {"60", "", "20", "40", "20", "0", "0"};

struct Click {
  const char* name;
  Texts inputs;
  std::array<bool, 3> checks;  // Check_small, Check_large, Check_shade
  const char* fineness;
  const char* message;  // nullptr: none
  const char* d1;       // Text_d1 afterwards
  // Per new drawing: the teeth counted on its gear (0: the blank stays uncut) and the
  // reference diameter.
  std::vector<std::pair<int, double>> gears;
};

// clang-format off
const Click kClicks[] = {
    {"default window", kDefault, {1, 0, 1}, "4", nullptr, "40", {{20, 40}}},
    {"both gears", kDefault, {1, 1, 1}, "4", nullptr, "40", {{20, 40}, {40, 80}}},
    {"shading clear", kSmallPair, {1, 0, 0}, "2", nullptr, "20", {{10, 20}}},
    {"fineness abc", kDefault, {1, 0, 1}, "abc", nullptr, "40", {{0, 40}}},
    {"Text_z1 21.5", kHalfTooth, {1, 0, 1}, "2", nullptr, "44", {{22, 44}}},
    {"neither gear ticked", kSmallPair, {0, 0, 1}, "4", kSelectGearMessage.data(), "20", {}},
    {"empty Text_m", kNoModule, {1, 0, 1}, "4", kBadInputMessage.data(), "20", {}},
};
// clang-format on

// Teeth met going once round the reference circle in the middle plane.
int TeethOn(const CadEntity& solid, double radius) {
  BRepClass3d_SolidClassifier classifier(ResolveEntity(solid, "count teeth").record->Located());
  int teeth = 0;
  bool was_in = false;
  for (int i = 0; i <= 720; ++i) {
    classifier.Perform(
        gp_Pnt(radius * std::cos(M_PI * i / 360), radius * std::sin(M_PI * i / 360), 0), 1e-7);
    const bool in = classifier.State() == TopAbs_IN;
    teeth += i > 0 && in && !was_in;
    was_in = in;
  }
  return teeth;
}

// Everything a drawing holds, to see that a later run changed nothing in it.
std::string Contents(const OcctDocument& drawing) {
  std::string contents = std::to_string(drawing.View().zoom_extents_requests);
  for (const EntityInfo& entity : drawing.Entities()) {
    contents += " " + std::to_string(entity.id) + std::string(EntityKindName(entity.kind));
    if (entity.kind == EntityKind::Solid)
      contents += std::to_string(MeasureSolid(*entity.handle).volume);
  }
  return contents;
}

class GenerateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWindowedCadFactory();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QObject::connect(&poll, &QTimer::timeout, [this] { Poll(); });
    poll.start(10);
  }
  void TearDown() override {
    RegisterClassFactory(kCadProgId, {});
    if (auto running = Running()) running->Quit();
    cadApp.reset(), cadDoc.reset(), blankSolid.reset();
  }

  static std::shared_ptr<WindowedCadApplication> Running() {
    try {
      return std::dynamic_pointer_cast<WindowedCadApplication>(GetRunningInstance(kCadProgId));
    } catch (const CadError&) {
      return nullptr;
    }
  }

  // Presses the stop button when asked to, through the native window as the user's mouse
  // comes, past the input blocker.
  void Poll() {
    if (!Bar()->isVisible() || !press_stop_at || stop_pressed ||
        !Bar()->text().startsWith(QString::fromUtf8(press_stop_at)))
      return;
    QPushButton* stop = form.stopButton();
    EXPECT_TRUE(stop->isVisible() && stop->isEnabled()) << "the stop button beside the bar";
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {},
                      stop->mapTo(&form, stop->rect().center()));
    stop_pressed = std::chrono::steady_clock::now();
    EXPECT_TRUE(form.StopRequested());
  }

  QProgressBar* Bar() { return form.findChild<QProgressBar*>("ProgressBar1"); }

  void ClickGenerate(const Click& run) {
    for (std::size_t i = 0; i < 7; ++i)
      form.findChild<QLineEdit*>(std::string(kInputFieldNames[i]).c_str())->setText(run.inputs[i]);
    for (std::size_t i = 0; i < 3; ++i)
      form.findChild<QCheckBox*>(std::string(kCheckOptionNames[i]).c_str())
          ->setChecked(run.checks[i]);
    form.findChild<QComboBox*>("Combo_fine")->setCurrentText(run.fineness);
    boxes.texts.clear();
    QTest::mouseClick(form.generateButton(), Qt::LeftButton);
  }

  MainForm form;
  QTimer poll;
  BoxAnswerer boxes{QStringLiteral("OK")};
  const char* press_stop_at = nullptr;  // the start of the bar's caption
  std::optional<std::chrono::steady_clock::time_point> stop_pressed;
};

TEST_F(GenerateWindowTest, BuildsEachTickedGearInANewDrawingAndLeavesEarlierOnesAlone) {
  std::vector<std::string> earlier;  // the contents of the drawings open before the click
  for (const Click& run : kClicks) {
    SCOPED_TRACE(run.name);
    ClickGenerate(run);
    EXPECT_EQ(boxes.texts,
              run.message ? QStringList(QString::fromUtf8(run.message)) : QStringList());
    EXPECT_EQ(form.StatusText(), "");
    EXPECT_FALSE(Bar()->isVisible());
    EXPECT_EQ(form.ResultText(ResultField::d1), run.d1);
    const std::shared_ptr<WindowedCadApplication> instance = Running();
    ASSERT_TRUE(instance);
    EXPECT_TRUE(instance->Visible());

    // The earlier drawings are as they were; the new ones follow them, the last current.
    const std::vector<std::shared_ptr<OcctDocument>> open = instance->Occt().Documents().Open();
    ASSERT_EQ(open.size(), earlier.size() + run.gears.size()) << "one drawing per ticked gear";
    if (!open.empty()) {
      EXPECT_EQ(instance->Occt().Documents().Current()->Number(), open.back()->Number());
    }
    for (std::size_t i = 0; i < earlier.size(); ++i)
      EXPECT_EQ(Contents(*open[i]), earlier[i]) << open[i]->Name();
    for (std::size_t g = 0; g < run.gears.size(); ++g) {
      const auto [teeth, reference_diameter] = run.gears[g];
      const OcctDocument& drawing = *open[earlier.size() + g];
      SCOPED_TRACE(drawing.Name());
      const std::vector<EntityInfo> entities = drawing.Entities();
      ASSERT_EQ(entities.size(), 2u) << "gear and reference circle only";
      const SolidMeasures solid = MeasureSolid(*entities[0].handle);
      EXPECT_TRUE(solid.is_one_valid_solid);
      EXPECT_EQ(TeethOn(*entities[0].handle, reference_diameter / 2), teeth);
      EXPECT_EQ(teeth == 0, std::abs(solid.volume - M_PI * 22 * 22 * 20) < 1e-3);
      const CircleGeometry circle = CircleOf(*entities[1].handle);
      EXPECT_NEAR(2 * circle.radius, reference_diameter, 1e-9);
      EXPECT_EQ(circle.color, 1);
      ExpectNear(drawing.View().direction, {1, 1, 1}, 1e-12, "view direction");
      EXPECT_EQ(drawing.View().zoom_extents_requests, 1);
      EXPECT_EQ(drawing.View().shade_mode,
                run.checks[2] ? ShadeMode::Gouraud : ShadeMode::Wireframe);
      EXPECT_TRUE(instance->Window()->IsUnsaved(drawing.Number())) << "the designer's work";
    }
    earlier.clear();
    for (const auto& drawing : open)
      earlier.push_back(Contents(*drawing));
  }

  // The CAD application closed and none to be started: the connection's message is all, with
  // no result written and the status line as it was.
  RegisterClassFactory(kCadProgId, {});
  ASSERT_TRUE(Running());
  Running()->Quit();
  form.SetResultText(ResultField::d1, "earlier");
  form.SetStatusText("earlier");
  ClickGenerate(kClicks[0]);
  EXPECT_EQ(boxes.texts, QStringList(QString::fromUtf8(kConnectCadFailedMessage.data(),
                                                       kConnectCadFailedMessage.size())));
  EXPECT_EQ(form.ResultText(ResultField::d1), "earlier");
  EXPECT_EQ(form.StatusText(), "earlier");
  EXPECT_FALSE(Running());
}

// A number of teeth mistyped ten times too large: 400 instead of 40. The stop button ends the
// build within seconds, at the rolling cut's first report or as the CAD application finishes
// the replication when shown again; the CAD window comes back, the earlier drawing is as it
// was, and the stopped drawing holds the blank as cut so far and nothing of the cut's own.
TEST_F(GenerateWindowTest, TheStopButtonEndsAMistypedBuildWithinSeconds) {
  struct Stop {
    const char* caption;   // the start of the bar's caption at which the stop is pressed
    std::size_t entities;  // in the stopped drawing
    double removed_min;    // from the blank cylinder, mm^3; one whole space is about 265 mm^3
  } const stops[] = {
      {"小齿轮：滚切 ", 1, 0},  // at the rolling cut's first report
      // The rolling cut is done and 399 intersections wait; the bar follows them without a gear
      // name. The stopped drawing keeps its one space, and the circle added after the cut.
      {"复制齿槽", 2, 200},
  };
  ClickGenerate(kClicks[0]);
  const std::shared_ptr<WindowedCadApplication> instance = Running();
  ASSERT_TRUE(instance);
  const std::shared_ptr<OcctDocument> earlier = instance->Occt().Documents().Current();
  const std::string earlier_contents = Contents(*earlier);
  for (const Stop& stop : stops) {
    SCOPED_TRACE(stop.caption);
    press_stop_at = stop.caption;
    stop_pressed.reset();
    const auto clicked = std::chrono::steady_clock::now();
    ClickGenerate(
        {"mistyped", {"440", "2", "400", "40", "20", "0", "0"}, {1, 0, 1}, "4", nullptr, "", {}});
    const auto ended = std::chrono::steady_clock::now();
    press_stop_at = nullptr;
    ASSERT_TRUE(stop_pressed) << "ended before the stop";
    const double after_stop = std::chrono::duration<double>(ended - *stop_pressed).count();
    std::cout << "[ timing   ] " << stop.caption << ": pressed after "
              << std::chrono::duration<double>(*stop_pressed - clicked).count() << " s, ended "
              << after_stop << " s later\n";
    EXPECT_LT(after_stop, 5.0);
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(form.StatusText(), "");
    EXPECT_FALSE(Bar()->isVisible() || form.stopButton()->isVisible() || form.StopRequested());
    EXPECT_TRUE(instance->Visible() && instance->Window()->isVisible());
    EXPECT_EQ(Contents(*earlier), earlier_contents) << "the earlier drawing is as it was";
    const std::vector<EntityInfo> entities = instance->Occt().Documents().Current()->Entities();
    ASSERT_EQ(entities.size(), stop.entities) << "no cutter, no copies left over";
    const SolidMeasures blank = MeasureSolid(*entities[0].handle);
    EXPECT_TRUE(blank.is_one_valid_solid);
    const double removed = M_PI * 402 * 402 * 20 - blank.volume;
    EXPECT_GE(removed, stop.removed_min - 1e-3);
    EXPECT_LE(removed, 300);
  }
}

}  // namespace
}  // namespace kelvo::cad::testing
