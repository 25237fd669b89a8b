// The generate button end to end: the real main window, the real OpenCASCADE application in its
// 3D window, on an X display. The runs share one CAD application, as a designer's session does.
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

using Clock = std::chrono::steady_clock;
using Texts = std::array<const char*, 7>;
const Texts kDefault = {"60", "2", "20", "40", "20", "0", "0"};
const Texts kSmallPair = {"24", "2", "10", "14", "20", "0", "0"};  // cheap to cut

struct Click {
  const char* name;
  Texts inputs;
  std::array<bool, 3> checks;  // Check_small, Check_large, Check_shade
  const char* fineness;
  const char* message;  // nullptr: none
  const char* d1;       // Text_d1 afterwards
  // Per new drawing: the teeth on its gear (0: the blank stays uncut), the reference diameter.
  std::vector<std::pair<int, double>> gears;
};

// clang-format off
const Click kClicks[] = {
    {"default window", kDefault, {1, 0, 1}, "4", nullptr, "40", {{20, 40}}},
    {"both gears", kDefault, {1, 1, 1}, "4", nullptr, "40", {{20, 40}, {40, 80}}},
    {"shading clear", kSmallPair, {1, 0, 0}, "2", nullptr, "20", {{10, 20}}},
    {"fineness abc", kDefault, {1, 0, 1}, "abc", nullptr, "40", {{0, 40}}},
    {"Text_z1 21.5", {"62", "2", "21.5", "40", "20", "0", "0"}, {1, 0, 1}, "2", nullptr, "44", {{22, 44}}},
    {"neither gear ticked", kSmallPair, {0, 0, 1}, "4", kSelectGearMessage.data(), "20", {}},
    {"empty Text_m", {"60", "", "20", "40", "20", "0", "0"}, {1, 0, 1}, "4", kBadInputMessage.data(), "20", {}},
};
// clang-format on

// Teeth met going once round the reference circle in the middle plane.
int TeethOn(const CadEntity& solid, double radius) {
  BRepClass3d_SolidClassifier classifier(ResolveEntity(solid, "count teeth").record->Located());
  int teeth = 0;
  for (int i = 0, was_in = 0; i <= 720; ++i) {
    classifier.Perform(
        gp_Pnt(radius * std::cos(M_PI * i / 360), radius * std::sin(M_PI * i / 360), 0), 1e-7);
    const int in = classifier.State() == TopAbs_IN;
    teeth += i > 0 && in && !was_in, was_in = in;
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

std::shared_ptr<WindowedCadApplication> Running() {
  try {
    return std::dynamic_pointer_cast<WindowedCadApplication>(GetRunningInstance(kCadProgId));
  } catch (const CadError&) {
    return nullptr;
  }
}

class GenerateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWindowedCadFactory();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QObject::connect(&poll, &QTimer::timeout, [this] { PressStop(); });
    poll.start(10);
  }
  void TearDown() override {
    RegisterClassFactory(kCadProgId, {});
    if (auto running = Running()) running->Quit();
    cadApp.reset(), cadDoc.reset(), blankSolid.reset();
  }

  // Through the native window as the user's mouse comes, past the input blocker.
  void PressStop() {
    if (!Bar()->isVisible() || !press_stop_at || stop_pressed ||
        !Bar()->text().startsWith(QString::fromUtf8(press_stop_at)))
      return;
    QPushButton* stop = form.stopButton();
    EXPECT_TRUE(stop->isVisible() && stop->isEnabled()) << "the stop button beside the bar";
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {},
                      stop->mapTo(&form, stop->rect().center()));
    stop_pressed = Clock::now();
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

  // After a click: no bar, a clear status line, the CAD window shown, the drawings open before
  // as they were and `added` new ones after them, the last current. Returns the new ones.
  std::vector<std::shared_ptr<OcctDocument>> NewDrawings(std::size_t added) {
    EXPECT_EQ(form.StatusText(), "");
    EXPECT_FALSE(Bar()->isVisible() || form.stopButton()->isVisible() || form.StopRequested());
    const std::shared_ptr<WindowedCadApplication> instance = Running();
    EXPECT_TRUE(instance && instance->Visible() && instance->Window()->isVisible());
    if (!instance) return {};
    const std::vector<std::shared_ptr<OcctDocument>> open = instance->Occt().Documents().Open();
    EXPECT_EQ(open.size(), earlier.size() + added) << "one drawing per ticked gear";
    if (open.size() != earlier.size() + added) return {};
    EXPECT_TRUE(open.empty() ||
                instance->Occt().Documents().Current()->Number() == open.back()->Number());
    for (std::size_t i = 0; i < earlier.size(); ++i)
      EXPECT_EQ(Contents(*open[i]), earlier[i]) << open[i]->Name();
    earlier.clear();
    for (const auto& drawing : open)
      earlier.push_back(Contents(*drawing));
    return {open.end() - static_cast<std::ptrdiff_t>(added), open.end()};
  }

  MainForm form;
  QTimer poll;
  BoxAnswerer boxes{QStringLiteral("OK")};
  std::vector<std::string> earlier;     // the contents of the drawings open before the click
  const char* press_stop_at = nullptr;  // the start of the bar's caption
  std::optional<Clock::time_point> stop_pressed;
};

// One session, as a designer's: every click must leave the earlier drawings as they were.
TEST_F(GenerateWindowTest, BuildsEachTickedGearStopsWithinSecondsAndLeavesEarlierDrawingsAlone) {
  for (const Click& run : kClicks) {
    SCOPED_TRACE(run.name);
    ClickGenerate(run);
    EXPECT_EQ(boxes.texts,
              run.message ? QStringList(QString::fromUtf8(run.message)) : QStringList());
    EXPECT_EQ(form.ResultText(ResultField::d1), run.d1);
    const auto added = NewDrawings(run.gears.size());
    for (std::size_t g = 0; g < added.size(); ++g) {
      const auto [teeth, reference_diameter] = run.gears[g];
      const OcctDocument& drawing = *added[g];
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
      EXPECT_TRUE(Running()->Window()->IsUnsaved(drawing.Number())) << "the designer's work";
    }
  }

  // 400 teeth typed for 40: the stop ends the build within seconds, at the rolling cut's first
  // report or as the CAD application finishes the replication when shown again. The stopped
  // drawing holds the blank as cut so far and nothing of the cut's own.
  // Pressed at the start of the bar's caption; left in the stopped drawing: entities and at least
  // so much cut from the blank (one whole space is about 265 mm^3). During the replication 399
  // intersections wait, followed without a gear name; the one space and the circle stay.
  for (const auto& [caption, entities, removed_min] :
       {std::tuple{"小齿轮：滚切 ", 1u, 0.0}, {"复制齿槽", 2u, 200.0}}) {
    SCOPED_TRACE(caption);
    press_stop_at = caption;
    stop_pressed.reset();
    const auto clicked = Clock::now();
    ClickGenerate(
        {"400 teeth", {"440", "2", "400", "40", "20", "0", "0"}, {1, 0, 1}, "4", {}, {}, {}});
    const auto ended = Clock::now();
    press_stop_at = nullptr;
    ASSERT_TRUE(stop_pressed) << "ended before the stop";
    const double after_stop = std::chrono::duration<double>(ended - *stop_pressed).count();
    std::cout << "[ timing   ] " << caption << ": pressed after "
              << std::chrono::duration<double>(*stop_pressed - clicked).count() << " s, ended "
              << after_stop << " s later\n";
    EXPECT_LT(after_stop, 5.0);
    EXPECT_TRUE(boxes.texts.isEmpty());
    const auto added = NewDrawings(1);
    ASSERT_EQ(added.size(), 1u);
    ASSERT_EQ(added[0]->Entities().size(), entities) << "no cutter, no copies left over";
    const SolidMeasures blank = MeasureSolid(*added[0]->Entities()[0].handle);
    EXPECT_TRUE(blank.is_one_valid_solid);
    const double removed = M_PI * 402 * 402 * 20 - blank.volume;
    EXPECT_GE(removed, removed_min - 1e-3);
    EXPECT_LE(removed, 300);
  }

  // No CAD application to be had: the connection's message is all; results and status untouched.
  RegisterClassFactory(kCadProgId, {});
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

}  // namespace
}  // namespace kelvo::cad::testing
