// The generate button end to end: the real main window, the real OpenCASCADE application in
// its 3D window, on an X display (CTest runs this under xvfb-run). The runs share one CAD
// application, as a designer's session does, so every run after the first is a later run
// that must leave the earlier drawings as they were.
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
  constexpr int kSamples = 720;
  for (int i = 0; i <= kSamples; ++i) {
    const double angle = 2 * M_PI * i / kSamples;
    classifier.Perform(gp_Pnt(radius * std::cos(angle), radius * std::sin(angle), 0), 1e-7);
    const bool in = classifier.State() == TopAbs_IN;
    if (i > 0 && in && !was_in) ++teeth;
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

class GenerateWindowTest : public ViewerTest {
 protected:
  void SetUp() override {
    RegisterWindowedCadFactory();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QObject::connect(&poll, &QTimer::timeout, [this] { Poll(); });
    poll.start(10);
    // A gear is built in well under a second, between two ticks of the poll; the bar's
    // captions are noted whenever it is painted, which the command makes happen.
    bar_painted.on_paint = [this] {
      if (!Bar()->text().isEmpty()) captions.push_back(Bar()->text());
    };
    Bar()->installEventFilter(&bar_painted);
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

  // Answers message boxes with a real click on OK; while a gear is built, notes the progress
  // bar and tries once to click the generate button again and to type into a field.
  void Poll() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      messages.push_back(box->text().toStdString());
      QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
      return;
    }
    if (Bar()->isVisible() && press_stop_when && !stop_pressed && press_stop_when(Bar()->text())) {
      // Through the native window, as the user's mouse comes, past the input blocker.
      QPushButton* stop = form.stopButton();
      EXPECT_TRUE(stop->isVisible() && stop->isEnabled()) << "the stop button beside the bar";
      QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {},
                        stop->mapTo(&form, stop->rect().center()));
      stop_pressed = std::chrono::steady_clock::now();
      EXPECT_TRUE(form.StopRequested());
      return;
    }
    if (!Bar()->isVisible() || tried_input) return;
    tried_input = true;
    QTest::mouseClick(form.generateButton(), Qt::LeftButton);
    QTest::keyClicks(Field("Text_a_true"), "9");
  }

  QProgressBar* Bar() { return form.findChild<QProgressBar*>("ProgressBar1"); }

  QLineEdit* Field(std::string_view name) {
    return form.findChild<QLineEdit*>(QString::fromLatin1(name.data(), qsizetype(name.size())));
  }

  void Prepare(const Click& run) {
    for (std::size_t i = 0; i < 7; ++i)
      Field(kInputFieldNames[i])->setText(run.inputs[i]);
    for (std::size_t i = 0; i < 3; ++i)
      form.findChild<QCheckBox*>(std::string(kCheckOptionNames[i]).c_str())
          ->setChecked(run.checks[i]);
    form.findChild<QComboBox*>("Combo_fine")->setCurrentText(run.fineness);
    messages.clear(), captions.clear();
    tried_input = false;
  }

  void ClickGenerate() { QTest::mouseClick(form.generateButton(), Qt::LeftButton); }

  struct PaintWatcher : QObject {
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
      if (event->type() == QEvent::Paint && on_paint) on_paint();
      return false;
    }
    std::function<void()> on_paint;
  };

  MainForm form;
  QTimer poll;
  PaintWatcher bar_painted;
  std::vector<std::string> messages;
  QStringList captions;
  bool tried_input = false;
  // When the stop button is pressed, by the bar's caption; and when it was.
  std::function<bool(const QString&)> press_stop_when;
  std::optional<std::chrono::steady_clock::time_point> stop_pressed;
};

TEST_F(GenerateWindowTest, BuildsEachTickedGearInANewDrawingAndLeavesEarlierOnesAlone) {
  std::map<int, std::string> earlier;  // drawing number -> contents
  for (const Click& run : kClicks) {
    SCOPED_TRACE(run.name);
    Prepare(run);
    ClickGenerate();

    EXPECT_EQ(messages,
              run.message ? std::vector<std::string>{run.message} : std::vector<std::string>{});
    EXPECT_EQ(form.StatusText(), "");
    EXPECT_FALSE(form.findChild<QProgressBar*>("ProgressBar1")->isVisible());
    EXPECT_EQ(Field("Text_a_true")->text(), run.inputs[0]) << "typing during the run is dropped";
    const bool cut = !run.gears.empty() && run.gears[0].teeth > 0;
    EXPECT_EQ(cut, !captions.isEmpty() && captions.front().startsWith("小齿轮"));
    EXPECT_EQ(form.ResultText(ResultField::d1), run.d1);
    const std::shared_ptr<WindowedCadApplication> instance = Running();
    ASSERT_TRUE(instance);
    EXPECT_TRUE(instance->Visible());

    // The earlier drawings are as they were; the new ones follow them, the last current.
    const std::vector<std::shared_ptr<OcctDocument>> open = instance->Occt().Documents().Open();
    ASSERT_EQ(open.size(), earlier.size() + run.gears.size()) << "one drawing per ticked gear";
    for (const auto& drawing : open) {
      if (earlier.count(drawing->Number())) {
        EXPECT_EQ(Contents(*drawing), earlier[drawing->Number()]);
      }
    }
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
      const ViewState view = drawing.View();
      ExpectNear(view.direction, {1, 1, 1}, 1e-12, "view direction");
      EXPECT_EQ(view.zoom_extents_requests, 1);
      EXPECT_EQ(view.shade_mode, gear.shaded ? ShadeMode::Gouraud : ShadeMode::Wireframe);
      EXPECT_TRUE(instance->Window()->IsUnsaved(drawing.Number())) << "the designer's work";
    }
    if (!run.gears.empty()) {
      // What the designer sees of the current drawing: the gear fills the view, and the red
      // circle shows in the tooth spaces.
      ASSERT_EQ(instance->Occt().Documents().Current()->Number(), open.back()->Number());
      ASSERT_TRUE(QTest::qWaitForWindowExposed(instance->Window()));
      const QImage image = ViewOf(*instance, *open.back()).grabFramebuffer();
      const Drawn drawn = DrawnPixels(image);
      const double used = std::max(double(drawn.bounds.width()) / image.width(),
                                   double(drawn.bounds.height()) / image.height());
      // The fit is to the box round gear and circle, whose corners stand off a round gear.
      EXPECT_TRUE(used > 0.6 && used <= 1.0) << "zoomed to extents: " << used;
      EXPECT_EQ(drawn.red > 20, run.gears.back().teeth != 0) << "red circle";
    }
    earlier.clear();
    for (const auto& drawing : open)
      earlier[drawing->Number()] = Contents(*drawing);
  }
}

// A number of teeth mistyped ten times too large: 400 instead of 40. The stop button ends the
// build within seconds, whether the rolling cut is running or the CAD application is finishing
// the replication as it is shown again; the CAD window comes back, the earlier drawing is as
// it was, and the stopped drawing holds the blank as cut so far and nothing of the cut's own.
TEST_F(GenerateWindowTest, TheStopButtonEndsAMistypedBuildWithinSeconds) {
  const auto positions_done = [](const QString& caption) {
    const qsizetype at = caption.indexOf("滚切 ");
    return at < 0 ? -1 : caption.mid(at + 3).section('/', 0, 0).toInt();
  };
  // The small gear mistyped, or the large one after a small gear of 20 teeth built first.
  const Texts small_400 = {"440", "2", "400", "40", "20", "0", "0"};
  const Texts large_400 = {"420", "2", "20", "400", "20", "0", "0"};
  struct Stop {
    const char* name;
    Texts inputs;
    bool both;
    std::function<bool(const QString&)> when;
    std::size_t entities;  // in the stopped drawing
    // What the cut has taken from the blank cylinder, mm^3; one whole space of this gear is
    // about 265 mm^3 (the finished gear lacks 400 of them).
    double removed_min, removed_max;
  };
  const Stop stops[] = {
      {"at the first report of the rolling cut", small_400, false,
       [&](const QString& caption) { return positions_done(caption) >= 0; }, 1, 0, 300},
      {"well into the rolling cut", small_400, false,
       [&](const QString& caption) { return positions_done(caption) >= 6; }, 1, 1, 300},
      // The rolling cut is done and 399 intersections wait; the bar follows them without a gear
      // name. The stopped drawing keeps its one space, and the circle added after the cut.
      {"while the replication is evaluated", small_400, false,
       [](const QString& caption) { return caption.startsWith("复制齿槽"); }, 2, 200, 300},
      // The small gear's replication waits until the application is shown: it is still done.
      {"in the large gear's rolling cut", large_400, true,
       [&](const QString& caption) {
         return caption.startsWith("大齿轮") && positions_done(caption) >= 0;
       },
       1, 0, 300},
  };

  Prepare(kClicks[0]);
  ClickGenerate();
  const std::shared_ptr<WindowedCadApplication> instance = Running();
  ASSERT_TRUE(instance);
  ASSERT_EQ(instance->Occt().Documents().Open().size(), 1u);
  const std::shared_ptr<OcctDocument> earlier = instance->Occt().Documents().Current();
  const std::string earlier_contents = Contents(*earlier);

  for (const Stop& stop : stops) {
    SCOPED_TRACE(stop.name);
    Prepare({"mistyped", stop.inputs, {1, stop.both, 1}, "4", nullptr, "", {}});
    press_stop_when = stop.when;
    stop_pressed.reset();
    const auto clicked = std::chrono::steady_clock::now();
    ClickGenerate();
    const auto ended = std::chrono::steady_clock::now();
    press_stop_when = nullptr;

    ASSERT_TRUE(stop_pressed) << "the build ended before the stop: "
                              << captions.join(", ").toStdString();
    const double after_stop = std::chrono::duration<double>(ended - *stop_pressed).count();
    std::cout << "[ timing   ] " << stop.name << ": pressed after "
              << std::chrono::duration<double>(*stop_pressed - clicked).count() << " s, ended "
              << after_stop << " s later\n";
    EXPECT_LT(after_stop, 5.0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form.StatusText(), "");
    EXPECT_FALSE(Bar()->isVisible());
    EXPECT_FALSE(form.stopButton()->isVisible());
    EXPECT_FALSE(form.StopRequested());
    EXPECT_TRUE(instance->Visible());
    EXPECT_TRUE(instance->Window()->isVisible());
    EXPECT_EQ(form.ResultText(ResultField::da2), stop.both ? "804" : "84");

    const std::vector<std::shared_ptr<OcctDocument>> open = instance->Occt().Documents().Open();
    ASSERT_GE(open.size(), 2u);
    EXPECT_EQ(Contents(*earlier), earlier_contents) << "the earlier drawing is as it was";
    const std::vector<EntityInfo> entities = open.back()->Entities();
    ASSERT_EQ(entities.size(), stop.entities) << "no cutter, no copies left over";
    ASSERT_EQ(entities[0].kind, EntityKind::Solid);
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
  Prepare(kClicks[0]);
  form.SetResultText(ResultField::d1, "earlier");
  form.SetStatusText("earlier");
  ClickGenerate();
  EXPECT_EQ(messages, std::vector<std::string>{std::string(kConnectCadFailedMessage)});
  EXPECT_EQ(form.ResultText(ResultField::d1), "earlier");
  EXPECT_EQ(form.StatusText(), "earlier");
  EXPECT_FALSE(Running());
}

}  // namespace
}  // namespace kelvo::cad::testing
