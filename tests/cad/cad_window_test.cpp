// The 3D window as a gear designer meets it: a tab per drawing, hiding and showing, the
// command line, no unexported drawing lost unasked, and the instance's life as the connection
// sees it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <filesystem>

#include "cad/cad_session.h"
#include "cad/connection/connect_cad.h"
#include "cad/occt/occt_inspect.h"
#include "viewer_test_support.h"

namespace kelvo::cad::testing {
namespace {

namespace fs = std::filesystem;

QTabWidget& Tabs(const CadWindow& window) {
  return *window.findChild<QTabWidget*>(QStringLiteral("drawingTabs"));
}

QStringList TabTitles(const CadWindow& window) {
  QStringList titles;
  for (int i = 0; i < Tabs(window).count(); ++i)
    titles.append(Tabs(window).tabText(i));
  return titles;
}

class CadWindowTest : public ViewerTest {
 protected:
  void TearDown() override {
    ViewerTest::TearDown();
    RegisterClassFactory(kCadProgId, {});
    cadApp.reset();
    fs::remove_all(folder_);
  }
  const fs::path folder_ =
      fs::temp_directory_path() /
      ("kelvo-window-test-" + std::to_string(QCoreApplication::applicationPid()));
};

TEST_F(CadWindowTest, OneTabPerDrawingInOrderTheNewestCurrent) {
  auto instance = StartShown();
  CadWindow& window = *instance->Window();
  auto first = instance->Occt().Documents().AddDrawing();
  first->ModelSpace()->AddCircle({0, 0, 0}, 10)->SetColor(1);
  first->SendCommand("ZOOM E ");
  auto second = instance->Occt().Documents().AddDrawing();
  AddCube(*second);
  EXPECT_EQ(TabTitles(window), QStringList({"Drawing1", "Drawing2"}));
  EXPECT_EQ(Tabs(window).currentWidget(), window.ViewOf(2));

  // What the X server shows: the tab bar drawn around the OpenGL views (it turns black when a
  // view becomes a native window of its own), each tab with its own drawing.
  QTest::qWait(50);
  const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
  const QTabBar& bar = *Tabs(window).tabBar();
  for (const QPoint& point : {bar.rect().center(), QPoint(bar.width() - 5, bar.height() / 2)})
    EXPECT_GT(Luminance(ColourAround(screen, bar.mapTo(&window, point))), 150);
  EXPECT_EQ(DrawnPixels(Render(*instance, *second)).red, 0);
  Tabs(window).setCurrentIndex(0);
  EXPECT_GT(DrawnPixels(Render(*instance, *first)).red, 100);

  instance->Occt().Documents().AddDrawing();
  EXPECT_EQ(Tabs(window).currentIndex(), 2);
  second->Close();  // closed by a program: no question
  EXPECT_EQ(TabTitles(window), QStringList({"Drawing1", "Drawing3"}));
}

TEST_F(CadWindowTest, HiddenWhileBuildingShownWithWhatWasBuiltMeanwhile) {
  auto instance = StartShown();
  instance->SetVisible(false);
  EXPECT_FALSE(instance->Window()->isVisible());
  auto drawing = instance->Occt().Documents().AddDrawing();
  drawing->ModelSpace()->AddCircle({0, 0, 0}, 5)->SetColor(1);
  drawing->SendCommand("ZOOM E ");
  instance->SetVisible(true);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(instance->Window()));
  EXPECT_GT(DrawnPixels(Render(*instance, *drawing)).red, 100);
}

TEST_F(CadWindowTest, TheCommandLineRunsTypedCommandsAndAnswersUnknownOnes) {
  auto instance = StartShown();
  auto drawing = instance->Occt().Documents().AddDrawing();
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
  EXPECT_EQ(drawing->View().shade_mode, ShadeMode::Gouraud);
  EXPECT_EQ(ViewOf(*instance, *drawing).Shading(), ShadeMode::Gouraud);
  QTest::qWait(30);
  EXPECT_EQ(boxes.count, 0);  // answered in the command line, never in a box
}

TEST_F(CadWindowTest, AnUnexportedDrawingIsNotClosedUnasked) {
  struct Case {
    const char* export_to;  // before closing; empty: no export
    bool changed_after_export;
    const char* answer;
    int boxes;  // an export failure's box, then the question
    bool closed;
  };
  const Case cases[] = {
      {"", false, "取消", 1, false},
      {"", false, "放弃", 1, true},
      {"gear.step", false, "", 0, true},
      {"gear.stl", true, "放弃", 1, true},
      {"missing/gear.step", false, "放弃", 2, true},
      {"gear.dwg", false, "取消", 2, false},
  };
  auto instance = StartShown();
  CadWindow& window = *instance->Window();
  fs::create_directories(folder_);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.export_to) + " " + c.answer);
    auto drawing = instance->Occt().Documents().AddDrawing();
    auto solid = AddCube(*drawing);
    const BoxAnswerer boxes(QString::fromUtf8(c.answer));
    if (*c.export_to) {
      const bool written = fs::path(c.export_to).parent_path().empty() &&
                           fs::path(c.export_to).extension() != ".dwg";
      EXPECT_EQ(window.ExportDrawing(drawing->Number(), folder_ / c.export_to), written);
      EXPECT_EQ(fs::exists(folder_ / c.export_to), written);
    }
    if (c.changed_after_export) solid->Move({0, 0, 0}, {1, 0, 0});
    const int tab = Tabs(window).indexOf(window.ViewOf(drawing->Number()));
    qobject_cast<QAbstractButton*>(Tabs(window).tabBar()->tabButton(tab, QTabBar::RightSide))
        ->click();

    EXPECT_EQ(boxes.count, c.boxes);
    if (c.boxes > 0) {
      EXPECT_EQ(boxes.title, "Kelvo");
      EXPECT_EQ(boxes.icon, QMessageBox::NoIcon);
      EXPECT_TRUE(boxes.text.contains(QString::fromStdString(drawing->Name())));
      EXPECT_EQ(boxes.buttons, QStringList({"取消", "导出...", "放弃"}));
    }
    EXPECT_EQ(drawing->IsOpen(), !c.closed);
    EXPECT_EQ(IsAlive(*solid), !c.closed);
    if (!c.closed) drawing->Close();
  }
}

TEST_F(CadWindowTest, ClosingTheWindowEndsTheInstanceAndTheNextConnectionStartsAnother) {
  RegisterWindowedCadFactory();
  int messages = 0;
  const auto connect = [&] { return ConnectCad([&](const std::string&) { ++messages; }); };
  ASSERT_FALSE(connect());
  auto instance = std::dynamic_pointer_cast<WindowedCadApplication>(cadApp);
  ASSERT_NE(instance, nullptr);
  instances_.push_back(instance);
  EXPECT_FALSE(instance->Visible());  // started hidden, like an automation server
  ASSERT_FALSE(connect());
  EXPECT_EQ(cadApp, instance);  // attached again, not started again

  instance->SetVisible(true);
  auto solid = AddCube(*instance->Documents().Add());
  QPointer<CadWindow> window = instance->Window();
  for (const char* answer : {"取消", "放弃并关闭"}) {
    const BoxAnswerer boxes(QString::fromUtf8(answer));
    window->close();
    EXPECT_EQ(boxes.count, 1);
    EXPECT_TRUE(boxes.text.contains("Drawing1"));
    EXPECT_EQ(instance->IsRunning(), answer == std::string("取消"));
  }
  EXPECT_THROW(GetRunningInstance(kCadProgId), CadError);
  EXPECT_FALSE(IsAlive(*solid));
  EXPECT_THROW(instance->SetVisible(true), CadError);
  EXPECT_THROW(instance->Documents(), CadError);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());

  ASSERT_FALSE(connect());
  EXPECT_NE(cadApp, instance);
  instances_.push_back(std::dynamic_pointer_cast<WindowedCadApplication>(cadApp));
  EXPECT_EQ(messages, 0);
}

}  // namespace
}  // namespace kelvo::cad::testing
