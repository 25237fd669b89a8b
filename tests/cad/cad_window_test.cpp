// The 3D window as a gear designer meets it, its pixels read back from OpenGL on a real X display
// (CTest runs this under xvfb-run; without one it fails rather than skips). Also the generate
// button end to end, in generate_window_test.cpp.

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <cstdio>
#include <filesystem>

#include "cad/connection/cad_registry.h"
#include "cad/viewer/drawing_view.h"
#include "viewer_test_support.h"

namespace kelvo::cad::testing {
namespace {

namespace fs = std::filesystem;

int Luminance(QRgb c) {
  return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}
// Within a few levels of whatever the view's corner shows.
bool IsBackground(const QImage& image, QRgb c) {
  const QRgb b = image.pixel(1, 1);
  return std::abs(qRed(c) - qRed(b)) <= 10 && std::abs(qGreen(c) - qGreen(b)) <= 10 &&
         std::abs(qBlue(c) - qBlue(b)) <= 10;
}

// Every pixel that is not background: how many, how many red, and the rectangle holding them.
struct Drawn {
  int pixels = 0, red = 0;
  QRect bounds;
};
Drawn DrawnPixels(const QImage& image) {
  Drawn drawn;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (IsBackground(image, c)) continue;
      ++drawn.pixels, drawn.red += qRed(c) > 180 && qGreen(c) < 70 && qBlue(c) < 70;
      drawn.bounds |= QRect(x, y, 1, 1);
    }
  }
  return drawn;
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

  QTabWidget& Tabs() { return *window.findChild<QTabWidget*>(QStringLiteral("drawingTabs")); }
  DrawingView& View(const OcctDocument& drawing) { return *window.ViewOf(drawing.Number()); }
  QImage Render(const OcctDocument& drawing) { return View(drawing).grabFramebuffer(); }

  // A new drawing holding box, seen from direction, then commands.
  std::shared_ptr<OcctDocument> BoxDrawing(Point low, Point size, Point direction,
                                           const std::string& commands) {
    auto drawing = instance->Occt().Documents().AddDrawing();
    AddBox(*drawing->ModelSpace(), low, size);
    auto viewport = drawing->ActiveViewport();
    viewport->SetDirection(direction);
    drawing->SetActiveViewport(viewport);
    drawing->SendCommand(commands);
    return drawing;
  }
  std::shared_ptr<OcctDocument> CubeDrawing(const std::string& commands) {
    return BoxDrawing({-5, -5, -5}, {10, 10, 10}, {1, 1, 1}, commands);
  }

  std::shared_ptr<WindowedCadApplication> instance = StartWindowedCadApplication();
  CadWindow& window = *instance->Window();
};

TEST_F(CadWindowTest, ShadedOrWireframeEachDrawingInItsOwnTabTheIsometricFacesLitApart) {
  // A point inside each face seen from (1, 1, 1), +X, +Y, +Z; a wireframe's hidden edges run
  // through the centres.
  constexpr Point kFacePoints[] = {{5, 2.5, -2.5}, {2.5, 5, -2.5}, {2.5, -2.5, 5}};
  for (const auto& [commands, shaded] : {std::pair{"ZOOM E ", false},
                                         {"ZOOM E SHADEMODE G ", true},
                                         {"ZOOM E SHADEMODE G SHADEMODE 2D ", false}}) {
    SCOPED_TRACE(commands);
    const auto drawing = CubeDrawing(commands);
    const QImage image = Render(*drawing);
    QPointF at[3];
    int light[3];
    for (int face = 0; face < 3; ++face) {
      at[face] = View(*drawing).PixelOf(kFacePoints[face]);
      // The mean colour of the 5 x 5 pixels around the point.
      const QRgb seen = image.copy(QRect(at[face].toPoint() - QPoint(2, 2), QSize(5, 5)))
                            .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .pixel(0, 0);
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
  ASSERT_EQ(Tabs().count(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Tabs().tabText(i), QStringLiteral("Drawing%1").arg(i + 1));
  EXPECT_EQ(Tabs().currentWidget(), window.ViewOf(3));
}

// Zoom to extents, then the window hidden while a drawing is made and shown again with it.
TEST_F(CadWindowTest, ZoomToExtentsFillsTheViewAndTheWindowShowsWhatWasBuiltWhileHidden) {
  // A tiny cube far from the origin; a wide plate off to the side, from above.
  for (const auto& [direction, low, size] :
       {std::tuple{Point{1, 1, 1}, Point{300, -200, 50}, Point{2, 2, 2}},
        {Point{0, 0, 1}, Point{3000, 2000, 0}, Point{800, 100, 1}}}) {
    SCOPED_TRACE(size.x);
    const auto drawing = BoxDrawing(low, size, direction, "SHADEMODE G ");
    const Drawn before = DrawnPixels(Render(*drawing));
    drawing->SendCommand("ZOOM E ");
    const QImage image = Render(*drawing);
    const Drawn after = DrawnPixels(image);
    EXPECT_GT(after.pixels, 4 * before.pixels + 1000);
    // Within a small margin of the edges one way, and in the middle both ways.
    const double share = std::max(double(after.bounds.width()) / image.width(),
                                  double(after.bounds.height()) / image.height());
    EXPECT_TRUE(share > 0.85 && share <= 1.0) << share;
    EXPECT_NEAR(after.bounds.center().x(), image.width() / 2, 0.03 * image.width());
    EXPECT_NEAR(after.bounds.center().y(), image.height() / 2, 0.03 * image.height());
  }

  instance->SetVisible(false);
  EXPECT_FALSE(window.isVisible());
  auto drawing = instance->Occt().Documents().AddDrawing();
  drawing->ModelSpace()->AddCircle({0, 0, 0}, 5)->SetColor(1);
  drawing->SendCommand("ZOOM E ");
  instance->SetVisible(true);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_GT(DrawnPixels(Render(*drawing)).red, 100) << "colour index 1 is red";
  // What is typed on its command line runs there.
  auto* line = window.findChild<QLineEdit*>(QStringLiteral("commandLine"));
  QTest::keyClicks(line, "shademode g");
  QTest::keyClick(line, Qt::Key_Return);
  EXPECT_TRUE(line->text().isEmpty());
  EXPECT_EQ(View(*drawing).Shading(), ShadeMode::Gouraud);
}

// Closing a tab, or the window, asks before an unexported drawing goes; a drawing exported
// since its last change closes without a word. Closing the window ends the instance.
TEST_F(CadWindowTest, NoUnexportedDrawingIsLostUnaskedAndClosingTheWindowEndsTheInstance) {
  const fs::path folder =
      fs::temp_directory_path() /
      ("kelvo-window-test-" + std::to_string(QCoreApplication::applicationPid()));
  fs::create_directories(folder);
  // Exported to (empty: not), changed since, the answer, boxes (an export failure's, then the
  // question), closed.
  for (const auto& [export_to, changed, answer, boxes_shown, closed] :
       {std::tuple{"", false, "取消", 1, false},
        {"gear.step", false, "", 0, true},
        {"gear.stl", true, "放弃", 1, true},
        {"missing/gear.step", false, "放弃", 2, true}}) {
    SCOPED_TRACE(std::string(export_to) + " " + answer);
    const auto drawing = CubeDrawing("");
    const EntityRef solid = drawing->Entities().at(0).handle;
    const BoxAnswerer boxes(QString::fromUtf8(answer));
    if (*export_to) {
      const bool written = fs::path(export_to).parent_path().empty();
      EXPECT_EQ(window.ExportDrawing(drawing->Number(), folder / export_to), written);
      EXPECT_EQ(fs::exists(folder / export_to), written);
    }
    if (changed) solid->Move({0, 0, 0}, {1, 0, 0});
    const int tab = Tabs().indexOf(window.ViewOf(drawing->Number()));
    qobject_cast<QAbstractButton*>(Tabs().tabBar()->tabButton(tab, QTabBar::RightSide))->click();
    EXPECT_EQ(boxes.texts.size(), boxes_shown);
    if (boxes_shown > 0) {
      EXPECT_TRUE(boxes.texts.last().contains(QString::fromStdString(drawing->Name())));
      EXPECT_EQ(boxes.buttons, QStringList({"取消", "导出...", "放弃"}));
    }
    EXPECT_EQ(drawing->IsOpen(), !closed);
    EXPECT_EQ(IsAlive(*solid), !closed);
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
  EXPECT_THROW(GetRunningInstance(kCadProgId), CadError) << "the next connection starts another";
  EXPECT_FALSE(IsAlive(*kept));
  EXPECT_THROW(instance->Documents(), CadError);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(closed.isNull());
}

}  // namespace
}  // namespace kelvo::cad::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    std::fprintf(stderr, "These tests draw on an X display; run them under xvfb-run.\n");
    return 1;
  }
  QApplication::setQuitOnLastWindowClosed(false);  // the 3D window closes and reopens
  return RUN_ALL_TESTS();
}
