// The generate button end to end: the real main window, the real OpenCASCADE application in its
// 3D window, on an X display (CTest runs this under xvfb-run). The runs share one CAD
// application, as a designer's session does: every later run must leave the earlier drawings.
#include <BRepClass3d_SolidClassifier.hxx>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <chrono>
#include <cmath>
#include <functional>
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

struct Gear {
  int teeth;  // 0: the blank stays uncut; -1: there is no blank
  double reference_diameter;
  bool shaded = true;
};

struct Click {
  const char* name;
  Texts inputs;
  std::array<bool, 3> checks;  // Check_small, Check_large, Check_shade
  const char* fineness;
  const char* message;  // nullptr: none
  const char* d1;       // Text_d1 afterwards
  std::vector<Gear> gears;
};

// clang-format off
const Click kClicks[] = {
    {"default window", kDefault, {1, 0, 1}, "4", nullptr, "40", {{20, 40}}},
    {"both gears", kDefault, {1, 1, 1}, "4", nullptr, "40", {{20, 40}, {40, 80}}},
    {"shading clear", kSmallPair, {1, 0, 0}, "2", nullptr, "20", {{10, 20, false}}},
    {"fineness abc", kDefault, {1, 0, 1}, "abc", nullptr, "40", {{0, 40}}},
    {"Text_z1 21.5", {"62", "2", "21.5", "40", "20", "0", "0"}, {1, 0, 1}, "2", nullptr, "44",
     {{22, 44}}},
    // No blank can be made: the circles still come, and no earlier gear is cut instead.
    {"face width 0", {"24", "2", "10", "14", "0", "0", "0"}, {1, 1, 1}, "2", nullptr, "20",
     {{-1, 20}, {-1, 28}}},
    {"neither gear ticked", kSmallPair, {0, 0, 1}, "4", kSelectGearMessage.data(), "20", {}},
    {"empty Text_m", {"60", "", "20", "40", "20", "0", "0"}, {1, 0, 1}, "4",
     kBadInputMessage.data(), "20", {}},
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

class GenerateWindowTest : public QObject, public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWindowedCadFactory();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QObject::connect(&poll, &QTimer::timeout, [this] { Poll(); });
    poll.start(10);
    Bar()->installEventFilter(this);
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
    if (!Bar()->isVisible() || !press_stop_when || stop_pressed || !press_stop_when(Bar()->text()))
      return;
    QPushButton* stop = form.stopButton();
    EXPECT_TRUE(stop->isVisible() && stop->isEnabled()) << "the stop button beside the bar";
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {},
                      stop->mapTo(&form, stop->rect().center()));
    stop_pressed = std::chrono::steady_clock::now();
    EXPECT_TRUE(form.StopRequested());
  }

  QProgressBar* Bar() { return form.findChild<QProgressBar*>("ProgressBar1"); }
  QLineEdit* Field(std::string_view name) {
    return form.findChild<QLineEdit*>(QString::fromLatin1(name.data(), qsizetype(name.size())));
  }

  void ClickGenerate(const Click& run) {
    for (std::size_t i = 0; i < 7; ++i)
      Field(kInputFieldNames[i])->setText(run.inputs[i]);
    for (std::size_t i = 0; i < 3; ++i)
      form.findChild<QCheckBox*>(std::string(kCheckOptionNames[i]).c_str())
          ->setChecked(run.checks[i]);
    form.findChild<QComboBox*>("Combo_fine")->setCurrentText(run.fineness);
    boxes.texts.clear(), captions.clear();
    QTest::mouseClick(form.generateButton(), Qt::LeftButton);
  }

  // A gear is built between two ticks of the poll: the bar's captions are noted whenever it is
  // painted, which the command makes happen.
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !Bar()->text().isEmpty())
      captions.push_back(Bar()->text());
    return false;
  }

  MainForm form;
  QTimer poll;
  BoxAnswerer boxes{QStringLiteral("OK")};
  QStringList captions;
  std::function<bool(const QString&)> press_stop_when;  // by the bar's caption
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
    const bool cut = !run.gears.empty() && run.gears[0].teeth > 0;
    EXPECT_EQ(cut, !captions.isEmpty() && captions.front().startsWith("小齿轮"));
    EXPECT_EQ(form.ResultText(ResultField::d1), run.d1);
    const std::shared_ptr<WindowedCadApplication> instance = Running();
    ASSERT_TRUE(instance);
    EXPECT_TRUE(instance->Visible());

    // The earlier drawings are as they were; the new ones follow them, the last current.
    const std::vector<std::shared_ptr<OcctDocument>> open = instance->Occt().Documents().Open();
    ASSERT_EQ(open.size(), earlier.size() + run.gears.size()) << "one drawing per ticked gear";
    for (std::size_t i = 0; i < earlier.size(); ++i)
      EXPECT_EQ(Contents(*open[i]), earlier[i]) << open[i]->Name();
    for (std::size_t g = 0; g < run.gears.size(); ++g) {
      const Gear& gear = run.gears[g];
      const OcctDocument& drawing = *open[earlier.size() + g];
      SCOPED_TRACE(drawing.Name());
      const std::vector<EntityInfo> entities = drawing.Entities();
      ASSERT_EQ(entities.size(), gear.teeth < 0 ? 1u : 2u) << "gear and reference circle only";
      if (gear.teeth >= 0) {
        const SolidMeasures solid = MeasureSolid(*entities[0].handle);
        EXPECT_TRUE(solid.is_one_valid_solid);
        EXPECT_EQ(TeethOn(*entities[0].handle, gear.reference_diameter / 2), gear.teeth);
        EXPECT_EQ(gear.teeth == 0, std::abs(solid.volume - M_PI * 22 * 22 * 20) < 1e-3);
      }
      const CircleGeometry circle = CircleOf(*entities.back().handle);
      EXPECT_NEAR(2 * circle.radius, gear.reference_diameter, 1e-9);
      EXPECT_EQ(circle.color, 1);
      ExpectNear(drawing.View().direction, {1, 1, 1}, 1e-12, "view direction");
      EXPECT_EQ(drawing.View().zoom_extents_requests, 1);
      EXPECT_EQ(drawing.View().shade_mode, gear.shaded ? ShadeMode::Gouraud : ShadeMode::Wireframe);
      EXPECT_TRUE(instance->Window()->IsUnsaved(drawing.Number())) << "the designer's work";
    }
    if (!run.gears.empty()) {
      // What the designer sees of the current drawing: the gear fills the view (the fit is to
      // the box round gear and circle), and the red circle shows in the tooth spaces.
      ASSERT_EQ(instance->Occt().Documents().Current()->Number(), open.back()->Number());
      ASSERT_TRUE(QTest::qWaitForWindowExposed(instance->Window()));
      const QImage image = Render(*instance, *open.back());
      const Drawn drawn = DrawnPixels(image);
      EXPECT_TRUE(ShareUsed(image, drawn) > 0.6 && ShareUsed(image, drawn) <= 1.0) << "zoomed";
      EXPECT_EQ(drawn.red > 20, run.gears.back().teeth != 0) << "red circle";
    }
    earlier.clear();
    for (const auto& drawing : open)
      earlier.push_back(Contents(*drawing));
  }
}

// A number of teeth mistyped ten times too large: 400 instead of 40. The stop button ends the
// build within seconds, in the rolling cut or as the CAD application finishes the replication
// when shown again; the CAD window comes back, the earlier drawing is as it was, and the
// stopped drawing holds the blank as cut so far and nothing of the cut's own.
TEST_F(GenerateWindowTest, TheStopButtonEndsAMistypedBuildWithinSeconds) {
  const auto in_rolling_cut = [](const char* gear) {
    return [gear](const QString& caption) {
      return caption.startsWith(gear) && caption.contains("滚切 ");
    };
  };
  struct Stop {
    const char* name;
    Texts inputs;  // the small gear mistyped, or the large one after a small gear of 20 teeth
    bool both;
    std::function<bool(const QString&)> when;
    std::size_t entities;  // in the stopped drawing
    // Taken from the blank cylinder, mm^3; one whole space of this gear is about 265 mm^3.
    double removed_min, removed_max;
  } const stops[] = {
      {"at the first report of the rolling cut",
       {"440", "2", "400", "40", "20", "0", "0"},
       false,
       in_rolling_cut("小齿轮"),
       1,
       0,
       300},
      // The rolling cut is done and 399 intersections wait; the bar follows them without a gear
      // name. The stopped drawing keeps its one space, and the circle added after the cut.
      {"while the replication is evaluated",
       {"440", "2", "400", "40", "20", "0", "0"},
       false,
       [](const QString& caption) { return caption.startsWith("复制齿槽"); },
       2,
       200,
       300},
      // The small gear's replication waits until the application is shown: it is still done.
      {"in the large gear's rolling cut",
       {"420", "2", "20", "400", "20", "0", "0"},
       true,
       in_rolling_cut("大齿轮"),
       1,
       0,
       300},
  };
  ClickGenerate(kClicks[0]);
  const std::shared_ptr<WindowedCadApplication> instance = Running();
  ASSERT_TRUE(instance);
  ASSERT_EQ(instance->Occt().Documents().Open().size(), 1u);
  const std::shared_ptr<OcctDocument> earlier = instance->Occt().Documents().Current();
  const std::string earlier_contents = Contents(*earlier);

  for (const Stop& stop : stops) {
    SCOPED_TRACE(stop.name);
    press_stop_when = stop.when;
    stop_pressed.reset();
    const auto clicked = std::chrono::steady_clock::now();
    ClickGenerate({"mistyped", stop.inputs, {1, stop.both, 1}, "4", nullptr, "", {}});
    const auto ended = std::chrono::steady_clock::now();
    press_stop_when = nullptr;
    ASSERT_TRUE(stop_pressed) << "ended before the stop: " << captions.join(", ").toStdString();
    const double after_stop = std::chrono::duration<double>(ended - *stop_pressed).count();
    std::cout << "[ timing   ] " << stop.name << ": pressed after "
              << std::chrono::duration<double>(*stop_pressed - clicked).count() << " s, ended "
              << after_stop << " s later\n";
    EXPECT_LT(after_stop, 5.0);
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(form.StatusText(), "");
    EXPECT_FALSE(Bar()->isVisible() || form.stopButton()->isVisible() || form.StopRequested());
    EXPECT_TRUE(instance->Visible() && instance->Window()->isVisible());
    EXPECT_EQ(form.ResultText(ResultField::da2), stop.both ? "804" : "84");

    const std::vector<std::shared_ptr<OcctDocument>> open = instance->Occt().Documents().Open();
    ASSERT_GE(open.size(), 2u);
    EXPECT_EQ(Contents(*earlier), earlier_contents) << "the earlier drawing is as it was";
    const std::vector<EntityInfo> entities = open.back()->Entities();
    ASSERT_EQ(entities.size(), stop.entities) << "no cutter, no copies left over";
    const SolidMeasures blank = MeasureSolid(*entities[0].handle);
    EXPECT_TRUE(blank.is_one_valid_solid);
    const double removed = M_PI * 402 * 402 * 20 - blank.volume;
    EXPECT_GE(removed, stop.removed_min - 1e-3);
    EXPECT_LE(removed, stop.removed_max);
    if (stop.both) {
      const std::vector<EntityInfo> small = open[open.size() - 2]->Entities();
      ASSERT_EQ(small.size(), 2u) << "the small gear and its circle";
      EXPECT_EQ(TeethOn(*small[0].handle, 20), 20) << "the small gear, finished";
      EXPECT_TRUE(MeasureSolid(*small[0].handle).is_one_valid_solid);
    }
  }
}

// Without any CAD application the connection's message is all: no result written, no status.
TEST_F(GenerateWindowTest, WithoutACadApplicationShowsOnlyTheConnectionMessage) {
  RegisterClassFactory(kCadProgId, {});
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
