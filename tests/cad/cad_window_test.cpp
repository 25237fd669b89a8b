// The 3D window as a gear designer meets it, its pixels read back from OpenGL: shading against
// wireframe, the lighting of the isometric view, zoom to extents, the red of colour index 1, a tab
// per drawing, the command line, no unexported drawing lost unasked, and the instance's life as the
// connection sees it.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <filesystem>

#include "cad/cad_session.h"
#include "cad/connection/connect_cad.h"
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

// A windowed CAD instance shown on the test run's X server, and every instance started
// during the test, each ended afterwards unasked.
class CadWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    instance->SetVisible(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(instance->Window()));
  }
  void TearDown() override {
    for (const auto& started : {instance, started_}) {
      if (started && started->IsRunning()) started->Quit();
    }
    RegisterClassFactory(kCadProgId, {});
    cadApp.reset();
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

  std::shared_ptr<WindowedCadApplication> instance = StartWindowedCadApplication(), started_;
  CadWindow& window = *instance->Window();
};

TEST_F(CadWindowTest, ShadedFillsThreeDifferentlyLitFacesWireframeDrawsOnlyTrueEdges) {
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
    // The cube's outline, a hexagon, fills 3/4 of the rectangle around it.
    const Drawn drawn = DrawnPixels(image);
    const double filled = double(drawn.pixels) / (drawn.bounds.width() * drawn.bounds.height());
    EXPECT_TRUE(shaded ? filled > 0.7 : filled < 0.05) << filled;
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
  // A cylinder from the front: its end circles are the top and bottom lines, and no iso-line
  // (which OpenCASCADE gives a coloured shape unless told not to) crosses its middle.
  auto drawing = instance->Occt().Documents().AddDrawing();
  drawing->ModelSpace()->AddCylinder({0, 0, 0}, 5, 10);
  LookFrom(*drawing, {0, -1, 0});
  drawing->SendCommand("ZOOM E ");
  const QImage image = Render(*instance, *drawing);
  for (const auto& [point, edge] : {std::pair{Point{0, -5, 5}, true},
                                    {Point{0, -5, -5}, true},
                                    {Point{0, -5, 0}, false},
                                    {Point{-2, -5, 2}, false}}) {
    const QRgb seen = ColourAround(image, ViewOf(*instance, *drawing).PixelOf(point));
    EXPECT_NE(IsBackground(image, seen), edge) << point.x << point.z;
  }
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
    EXPECT_TRUE(ShareUsed(image, after) > 0.85 && ShareUsed(image, after) <= 1.0);
    EXPECT_NEAR(after.bounds.center().x(), image.width() / 2, 0.03 * image.width());
    EXPECT_NEAR(after.bounds.center().y(), image.height() / 2, 0.03 * image.height());
  }
}

TEST_F(CadWindowTest, OneTabPerDrawingTheNewestCurrentAndColourIndexOneRed) {
  std::vector<std::shared_ptr<OcctDocument>> circles;
  for (const int colour : {1, kColorByLayer, 3}) {
    circles.push_back(instance->Occt().Documents().AddDrawing());
    circles.back()->ModelSpace()->AddCircle({0, 0, 0}, 20)->SetColor(colour);
    circles.back()->SendCommand("ZOOM E ");
  }
  const auto cube = CubeDrawing("ZOOM E ");
  ASSERT_EQ(Tabs(window).count(), 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Tabs(window).tabText(i), QStringLiteral("Drawing%1").arg(i + 1));
  EXPECT_EQ(Tabs(window).currentWidget(), window.ViewOf(4));
  EXPECT_EQ(DrawnPixels(Render(*instance, *cube)).red, 0);

  // What the X server shows: the tab bar drawn around the OpenGL views (it turns black when a
  // view becomes a native window of its own).
  QTest::qWait(50);
  const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
  const QTabBar& bar = *Tabs(window).tabBar();
  for (const QPoint& point : {bar.rect().center(), QPoint(bar.width() - 5, bar.height() / 2)})
    EXPECT_GT(Luminance(ColourAround(screen, bar.mapTo(&window, point))), 150);

  // Each tab its own drawing: the whole circumference, about pi view heights long, red only
  // for colour index 1.
  for (std::size_t i = 0; i < circles.size(); ++i) {
    Tabs(window).setCurrentIndex(int(i));
    const QImage image = Render(*instance, *circles[i]);
    const Drawn drawn = DrawnPixels(image);
    EXPECT_GT(drawn.pixels, 2.5 * image.height()) << i;
    EXPECT_EQ(drawn.red > 2.5 * image.height(), i == 0) << i;
    EXPECT_EQ(drawn.red == 0, i != 0) << i;
  }
  circles[1]->Close();  // closed by a program: no question; its number is not used again
  instance->Occt().Documents().AddDrawing();
  ASSERT_EQ(Tabs(window).count(), 4);
  EXPECT_EQ(Tabs(window).tabText(1), "Drawing3");
  EXPECT_EQ(Tabs(window).tabText(3), "Drawing5");
  EXPECT_EQ(Tabs(window).currentIndex(), 3);
}

TEST_F(CadWindowTest, ShownAgainWithWhatWasBuiltMeanwhileItsCommandLineAnswersInTheLog) {
  instance->SetVisible(false);
  EXPECT_FALSE(instance->Window()->isVisible());
  auto drawing = instance->Occt().Documents().AddDrawing();
  drawing->ModelSpace()->AddCircle({0, 0, 0}, 5)->SetColor(1);
  drawing->SendCommand("ZOOM E ");
  instance->SetVisible(true);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(instance->Window()));
  EXPECT_GT(DrawnPixels(Render(*instance, *drawing)).red, 100);

  auto* line = instance->Window()->findChild<QLineEdit*>(QStringLiteral("commandLine"));
  auto* log = instance->Window()->findChild<QPlainTextEdit*>(QStringLiteral("commandLog"));
  const BoxAnswerer boxes(QStringLiteral("OK"));
  for (const auto& [typed, answer] : {std::pair{"shademode g", "Command: shademode g"},
                                      {"REGEN", "Unknown command \"REGEN\"."}}) {
    QTest::keyClicks(line, typed);
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_TRUE(line->text().isEmpty());
    EXPECT_EQ(log->toPlainText().split('\n').last(), answer);
  }
  EXPECT_EQ(ViewOf(*instance, *drawing).Shading(), ShadeMode::Gouraud);
  QTest::qWait(30);
  EXPECT_TRUE(boxes.texts.isEmpty());  // answered in the command line, never in a box
}

TEST_F(CadWindowTest, AnUnexportedDrawingIsNotClosedUnasked) {
  struct Case {
    const char* export_to;  // before closing; empty: no export
    bool changed_after_export;
    const char* answer;
    int boxes;  // an export failure's box, then the question
    bool closed;
  } const cases[] = {
      {"", false, "取消", 1, false},
      {"", false, "放弃", 1, true},
      {"gear.step", false, "", 0, true},
      {"gear.stl", true, "放弃", 1, true},
      {"missing/gear.step", false, "放弃", 2, true},
      {"gear.dwg", false, "取消", 2, false},
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
      const bool written = fs::path(c.export_to).parent_path().empty() &&
                           fs::path(c.export_to).extension() != ".dwg";
      EXPECT_EQ(window.ExportDrawing(drawing->Number(), folder / c.export_to), written);
      EXPECT_EQ(fs::exists(folder / c.export_to), written);
    }
    if (c.changed_after_export) solid->Move({0, 0, 0}, {1, 0, 0});
    const int tab = Tabs(window).indexOf(window.ViewOf(drawing->Number()));
    qobject_cast<QAbstractButton*>(Tabs(window).tabBar()->tabButton(tab, QTabBar::RightSide))
        ->click();
    EXPECT_EQ(boxes.texts.size(), c.boxes);
    if (c.boxes > 0) {
      EXPECT_EQ(boxes.title, "Kelvo");
      EXPECT_EQ(boxes.icon, QMessageBox::NoIcon);
      EXPECT_TRUE(boxes.texts.last().contains(QString::fromStdString(drawing->Name())));
      EXPECT_EQ(boxes.buttons, QStringList({"取消", "导出...", "放弃"}));
    }
    EXPECT_EQ(drawing->IsOpen(), !c.closed);
    EXPECT_EQ(IsAlive(*solid), !c.closed);
    if (!c.closed) drawing->Close();
  }
  fs::remove_all(folder);
}

TEST_F(CadWindowTest, ClosingTheWindowEndsTheInstanceAndTheNextConnectionStartsAnother) {
  RegisterWindowedCadFactory();
  int messages = 0;
  const auto connect = [&] { return ConnectCad([&](const std::string&) { ++messages; }); };
  ASSERT_FALSE(connect());
  EXPECT_EQ(cadApp, instance);
  auto solid = AddBox(*instance->Documents().Add()->ModelSpace(), {0, 0, 0}, {1, 1, 1});
  QPointer<CadWindow> closed = &window;
  for (const char* answer : {"取消", "放弃并关闭"}) {
    const BoxAnswerer boxes(QString::fromUtf8(answer));
    closed->close();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("Drawing1"));
    EXPECT_EQ(instance->IsRunning(), answer == std::string("取消"));
  }
  EXPECT_THROW(GetRunningInstance(kCadProgId), CadError);
  EXPECT_FALSE(IsAlive(*solid));
  EXPECT_THROW(instance->SetVisible(true), CadError);
  EXPECT_THROW(instance->Documents(), CadError);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(closed.isNull());

  ASSERT_FALSE(connect());
  started_ = std::dynamic_pointer_cast<WindowedCadApplication>(cadApp);
  ASSERT_TRUE(started_ && started_ != instance);
  EXPECT_FALSE(started_->Visible());  // started hidden, like an automation server
  EXPECT_EQ(messages, 0);
}

}  // namespace
}  // namespace kelvo::cad::testing
