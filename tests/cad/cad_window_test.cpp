// The 3D window as a gear designer meets it, its pixels read back from OpenGL: shading against
// wireframe, the lighting of the isometric view, a tab per drawing, zoom to extents, the red of
// colour index 1, hiding and showing, no unexported drawing lost unasked, and the instance's end.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <filesystem>

#include "cad/connection/cad_registry.h"
#include "viewer_test_support.h"

namespace kelvo::cad::testing {
namespace {

namespace fs = std::filesystem;

// A point inside each face of the cube seen from (1, 1, 1): +X, +Y, +Z. Not the centres: a
// wireframe's hidden edges run through those.
constexpr Point kFacePoints[] = {{5, 2.5, -2.5}, {2.5, 5, -2.5}, {2.5, -2.5, 5}};

QTabWidget& Tabs(const CadWindow& window) {
  return *window.findChild<QTabWidget*>(QStringLiteral("drawingTabs"));
}

// A windowed CAD instance shown on the test run's X server, ended afterwards unasked.
class CadWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    instance->SetVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(instance->Window()));
  }
  void TearDown() override {
    if (instance->IsRunning()) instance->Quit();
  }

  static void LookFrom(CadDocument& drawing, Point direction) {
    auto viewport = drawing.ActiveViewport();
    viewport->SetDirection(direction);
    drawing.SetActiveViewport(viewport);
  }

  // A new drawing holding a 10 mm cube about the origin, seen from (1, 1, 1), then commands.
  std::shared_ptr<OcctDocument> CubeDrawing(const std::string& commands) {
    auto drawing = instance->Occt().Documents().AddDrawing();
    AddBox(*drawing->ModelSpace(), {-5, -5, -5}, {10, 10, 10});
    LookFrom(*drawing, {1, 1, 1});
    drawing->SendCommand(commands);
    return drawing;
  }

  std::shared_ptr<WindowedCadApplication> instance = StartWindowedCadApplication();
  CadWindow& window = *instance->Window();
};

TEST_F(CadWindowTest, ShadedOrWireframeEachDrawingInItsOwnTabTheIsometricFacesLitApart) {
  for (const auto& [commands, shaded] : {std::pair{"ZOOM E ", false},
                                         {"ZOOM E SHADEMODE G ", true},
                                         {"ZOOM E SHADEMODE G SHADEMODE 2D ", false}}) {
    SCOPED_TRACE(commands);
    const auto drawing = CubeDrawing(commands);
    const QImage image = Render(*instance, *drawing);
    QPointF at[3];
    int light[3];
    for (int face = 0; face < 3; ++face) {
      at[face] = ViewOf(*instance, *drawing).PixelOf(kFacePoints[face]);
      const QRgb seen = ColourAround(image, at[face]);
      EXPECT_EQ(IsBackground(image, seen), !shaded) << "face " << face;
      light[face] = Luminance(seen);
    }
    // The cube's outline, a hexagon, fills 3/4 of the rectangle around it; edges next to nothing.
    const Drawn drawn = DrawnPixels(image);
    const double filled = double(drawn.pixels) / (drawn.bounds.width() * drawn.bounds.height());
    EXPECT_TRUE(shaded ? filled > 0.7 : filled < 0.05) << filled;
    EXPECT_EQ(drawn.red, 0) << "colour by layer is not red";
    if (!shaded) continue;
    // From +X+Y+Z with Z up: the top face above the others, +X to the left of +Y.
    EXPECT_LT(at[0].x(), at[1].x() - 50);
    EXPECT_LT(at[2].y(), std::min(at[0].y(), at[1].y()) - 50);
    for (int face = 0; face < 3; ++face) {
      EXPECT_GE(std::abs(light[face] - light[(face + 1) % 3]), 15)
          << "+X " << light[0] << ", +Y " << light[1] << ", +Z " << light[2];
      EXPECT_GE(light[face] - Luminance(image.pixel(1, 1)), 40);
    }
  }
  ASSERT_EQ(Tabs(window).count(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Tabs(window).tabText(i), QStringLiteral("Drawing%1").arg(i + 1));
  EXPECT_EQ(Tabs(window).currentWidget(), window.ViewOf(3));
}

TEST_F(CadWindowTest, ZoomToExtentsFillsTheViewAndCentresTheModel) {
  struct Case {
    Point direction, low, size;
  } const cases[] = {
      {{1, 1, 1}, {300, -200, 50}, {2, 2, 2}},      // a tiny cube far from the origin
      {{0, 0, 1}, {3000, 2000, 0}, {800, 100, 1}},  // a wide plate off to the side, from above
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size.x);
    auto drawing = instance->Occt().Documents().AddDrawing();
    drawing->SendCommand("SHADEMODE G ");
    AddBox(*drawing->ModelSpace(), c.low, c.size);
    LookFrom(*drawing, c.direction);
    const Drawn before = DrawnPixels(Render(*instance, *drawing));
    drawing->SendCommand("ZOOM E ");
    const QImage image = Render(*instance, *drawing);
    const Drawn after = DrawnPixels(image);
    EXPECT_GT(after.pixels, 4 * before.pixels + 1000);
    // Within a small margin of the edges one way, and in the middle both ways.
    const double share = std::max(double(after.bounds.width()) / image.width(),
                                  double(after.bounds.height()) / image.height());
    EXPECT_TRUE(share > 0.85 && share <= 1.0) << share;
    EXPECT_NEAR(after.bounds.center().x(), image.width() / 2, 0.03 * image.width());
    EXPECT_NEAR(after.bounds.center().y(), image.height() / 2, 0.03 * image.height());
  }
}

TEST_F(CadWindowTest, ShownAgainWithWhatWasBuiltMeanwhileAndRunsWhatIsTyped) {
  instance->SetVisible(false);
  EXPECT_FALSE(instance->Window()->isVisible());
  auto drawing = instance->Occt().Documents().AddDrawing();
  drawing->ModelSpace()->AddCircle({0, 0, 0}, 5)->SetColor(1);
  drawing->SendCommand("ZOOM E ");
  instance->SetVisible(true);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(instance->Window()));
  EXPECT_GT(DrawnPixels(Render(*instance, *drawing)).red, 100) << "colour index 1 is red";

  // What is typed on its command line runs there.
  auto* line = instance->Window()->findChild<QLineEdit*>(QStringLiteral("commandLine"));
  QTest::keyClicks(line, "shademode g");
  QTest::keyClick(line, Qt::Key_Return);
  EXPECT_TRUE(line->text().isEmpty());
  EXPECT_EQ(ViewOf(*instance, *drawing).Shading(), ShadeMode::Gouraud);
}

// Closing a tab, or the window, asks before an unexported drawing goes; a drawing exported
// since its last change closes without a word. Closing the window ends the instance: the next
// connection must start another.
TEST_F(CadWindowTest, NoUnexportedDrawingIsLostUnaskedAndClosingTheWindowEndsTheInstance) {
  struct Case {
    const char* export_to;  // before closing; empty: no export
    bool changed_after_export;
    const char* answer;
    int boxes;  // an export failure's box, then the question
    bool closed;
  } const cases[] = {
      {"", false, "取消", 1, false},
      {"gear.step", false, "", 0, true},
      {"gear.stl", true, "放弃", 1, true},
      {"missing/gear.step", false, "放弃", 2, true},
  };
  const fs::path folder =
      fs::temp_directory_path() /
      ("kelvo-window-test-" + std::to_string(QCoreApplication::applicationPid()));
  fs::create_directories(folder);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.export_to) + " " + c.answer);
    const auto drawing = CubeDrawing("");
    const EntityRef solid = drawing->Entities().at(0).handle;
    const BoxAnswerer boxes(QString::fromUtf8(c.answer));
    if (*c.export_to) {
      const bool written = fs::path(c.export_to).parent_path().empty();
      EXPECT_EQ(window.ExportDrawing(drawing->Number(), folder / c.export_to), written);
      EXPECT_EQ(fs::exists(folder / c.export_to), written);
    }
    if (c.changed_after_export) solid->Move({0, 0, 0}, {1, 0, 0});
    const int tab = Tabs(window).indexOf(window.ViewOf(drawing->Number()));
    qobject_cast<QAbstractButton*>(Tabs(window).tabBar()->tabButton(tab, QTabBar::RightSide))
        ->click();
    EXPECT_EQ(boxes.texts.size(), c.boxes);
    if (c.boxes > 0) {
      EXPECT_TRUE(boxes.texts.last().contains(QString::fromStdString(drawing->Name())));
      EXPECT_EQ(boxes.buttons, QStringList({"取消", "导出...", "放弃"}));
    }
    EXPECT_EQ(drawing->IsOpen(), !c.closed);
    EXPECT_EQ(IsAlive(*solid), !c.closed);
  }
  fs::remove_all(folder);

  // Drawing1, kept above, is asked about again when the window closes.
  const EntityRef kept = instance->Occt().Documents().Current()->Entities().at(0).handle;
  QPointer<CadWindow> closed = &window;
  for (const char* answer : {"取消", "放弃并关闭"}) {
    const BoxAnswerer boxes(QString::fromUtf8(answer));
    closed->close();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("Drawing1"));
    EXPECT_EQ(instance->IsRunning(), answer == std::string("取消"));
  }
  EXPECT_THROW(GetRunningInstance(kCadProgId), CadError);
  EXPECT_FALSE(IsAlive(*kept));
  EXPECT_THROW(instance->Documents(), CadError);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(closed.isNull());
}

}  // namespace
}  // namespace kelvo::cad::testing
