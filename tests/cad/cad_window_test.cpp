// The 3D window as a gear designer meets it: a tab per drawing, hiding and showing, the
// command line, never losing an unexported drawing unasked, and the instance's life as the
// connection sees it.

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

QStringList TabTitles(const CadWindow& window) {
  const auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("drawingTabs"));
  QStringList titles;
  for (int i = 0; i < tabs->count(); ++i)
    titles.append(tabs->tabText(i));
  return titles;
}

QTabWidget& Tabs(const CadWindow& window) {
  return *window.findChild<QTabWidget*>(QStringLiteral("drawingTabs"));
}

class CadWindowTest : public ViewerTest {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("kelvo-window-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
  }
  void TearDown() override {
    ViewerTest::TearDown();
    RegisterClassFactory(kCadProgId, {});
    cadApp.reset();
    fs::remove_all(folder_);
  }

  fs::path folder_;
};

TEST_F(CadWindowTest, OneTabPerDrawingInOrderTheNewestCurrent) {
  auto instance = Start();
  Show(*instance);
  CadWindow& window = *instance->Window();
  auto first = instance->Occt().Documents().AddDrawing();
  first->ModelSpace()->AddCircle({0, 0, 0}, 10)->SetColor(1);
  first->SendCommand("ZOOM E ");
  auto second = instance->Occt().Documents().AddDrawing();
  AddBoxTo(*second);
  EXPECT_EQ(TabTitles(window), QStringList({"Drawing1", "Drawing2"}));
  EXPECT_EQ(Tabs(window).currentWidget(), window.ViewOf(2));

  // The tabs around the OpenGL views are drawn (they come out black when a view is made a
  // native window of its own).
  QTest::qWait(50);
  const QImage whole = window.screen()->grabWindow(window.winId()).toImage();
  const QRect bar(Tabs(window).tabBar()->mapTo(&window, QPoint(0, 0)),
                  Tabs(window).tabBar()->size());
  EXPECT_GT(Luminance(ColourAround(whole, bar.center())), 150);
  EXPECT_GT(Luminance(ColourAround(whole, QPointF(bar.right() - 5, bar.center().y()))), 150);

  // Each tab shows its own drawing: the red circle only in the first.
  EXPECT_EQ(CountPixels(Render(*instance, *second), IsRed), 0);
  Tabs(window).setCurrentIndex(0);
  EXPECT_GT(CountPixels(Render(*instance, *first), IsRed), 100);

  auto third = instance->Occt().Documents().AddDrawing();
  EXPECT_EQ(Tabs(window).currentIndex(), 2);
  second->Close();  // closed by a program: no question
  EXPECT_EQ(TabTitles(window), QStringList({"Drawing1", "Drawing3"}));
  EXPECT_EQ(window.ViewOf(2), nullptr);
}

TEST_F(CadWindowTest, HiddenWhileBuildingShownWithEverythingBuiltMeanwhile) {
  auto instance = Start();
  CadWindow& window = *instance->Window();
  EXPECT_FALSE(instance->Visible());  // a started instance waits to be shown
  EXPECT_FALSE(window.isVisible());
  Show(*instance);
  EXPECT_TRUE(window.isVisible());

  instance->SetVisible(false);
  EXPECT_FALSE(instance->Visible());
  EXPECT_FALSE(window.isVisible());
  auto drawing = instance->Occt().Documents().AddDrawing();
  drawing->ModelSpace()->AddCircle({0, 0, 0}, 5)->SetColor(1);
  drawing->SendCommand("ZOOM E ");

  Show(*instance);
  EXPECT_TRUE(instance->Visible());
  EXPECT_TRUE(window.isVisible());
  EXPECT_GT(CountPixels(Render(*instance, *drawing), IsRed), 100);
}

TEST_F(CadWindowTest, TheCommandLineRunsTypedCommandsAndAnswersUnknownOnes) {
  struct Case {
    const char* typed;
    ShadeMode shade;
    int zooms;
    const char* answer;  // the last line of the log
  };
  const Case cases[] = {
      {"shademode g", ShadeMode::Gouraud, 0, "Command: shademode g"},
      {"ZOOM E", ShadeMode::Gouraud, 1, "Command: ZOOM E"},
      {"SHADEMODE 2D", ShadeMode::Wireframe, 1, "Command: SHADEMODE 2D"},
      {"REGEN", ShadeMode::Wireframe, 1, "Unknown command \"REGEN\"."},
      {"ZOOM W", ShadeMode::Wireframe, 1, "Invalid option keyword \"W\" for ZOOM."},
  };
  auto instance = Start();
  Show(*instance);
  CadWindow& window = *instance->Window();
  auto drawing = instance->Occt().Documents().AddDrawing();
  auto* line = window.findChild<QLineEdit*>(QStringLiteral("commandLine"));
  auto* log = window.findChild<QPlainTextEdit*>(QStringLiteral("commandLog"));
  const BoxAnswerer boxes(QStringLiteral("OK"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    QTest::keyClicks(line, QString::fromUtf8(c.typed));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_TRUE(line->text().isEmpty());
    EXPECT_EQ(drawing->View().shade_mode, c.shade);
    EXPECT_EQ(window.ViewOf(drawing->Number())->Shading(), c.shade);
    EXPECT_EQ(drawing->View().zoom_extents_requests, c.zooms);
    EXPECT_EQ(log->toPlainText().split('\n').last(), QString::fromUtf8(c.answer));
  }
  QTest::qWait(30);
  EXPECT_EQ(boxes.Seen().count, 0);  // answered in the command line, never in a box
}

TEST_F(CadWindowTest, ClosingAnUnexportedDrawingAsksFirst) {
  struct Case {
    const char* what;
    bool exported;
    bool changed_after_export;
    const char* answer;
    bool asked;
    bool closed;
  };
  const Case cases[] = {
      {"never exported, kept", false, false, "取消", true, false},
      {"never exported, discarded", false, false, "放弃", true, true},
      {"exported", true, false, "", false, true},
      {"changed after the export", true, true, "放弃", true, true},
  };
  auto instance = Start();
  Show(*instance);
  CadWindow& window = *instance->Window();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto drawing = instance->Occt().Documents().AddDrawing();
    auto solid = AddBoxTo(*drawing);
    if (c.exported) {
      ASSERT_TRUE(window.ExportDrawing(drawing->Number(), folder_ / "gear.step"));
    }
    if (c.changed_after_export) solid->Move({0, 0, 0}, {1, 0, 0});
    EXPECT_EQ(window.IsUnsaved(drawing->Number()), c.asked);

    const BoxAnswerer boxes(QString::fromUtf8(c.answer));
    const int index = Tabs(window).indexOf(window.ViewOf(drawing->Number()));
    auto* close =
        qobject_cast<QAbstractButton*>(Tabs(window).tabBar()->tabButton(index, QTabBar::RightSide));
    ASSERT_NE(close, nullptr);
    close->click();

    EXPECT_EQ(boxes.Seen().count, c.asked ? 1 : 0);
    if (c.asked) {
      EXPECT_EQ(boxes.Seen().title, "Kelvo");
      EXPECT_EQ(boxes.Seen().icon, QMessageBox::NoIcon);
      EXPECT_TRUE(boxes.Seen().text.contains(QString::fromStdString(drawing->Name())));
      QStringList buttons = boxes.Seen().buttons;  // in the platform's order
      buttons.sort();
      EXPECT_EQ(buttons, QStringList({"取消", "导出...", "放弃"}));
    }
    EXPECT_EQ(drawing->IsOpen(), !c.closed);
    EXPECT_EQ(IsAlive(*solid), !c.closed);
    if (drawing->IsOpen()) drawing->Close();
  }
}

TEST_F(CadWindowTest, AnExportCountsOnlyWhenTheFileIsWritten) {
  struct Case {
    const char* file;
    bool written;
  };
  const Case cases[] = {
      {"gear.step", true}, {"gear.igs", true},           {"gear.stl", true},
      {"gear.brep", true}, {"missing/gear.step", false}, {"gear.dwg", false},
  };
  auto instance = Start();
  Show(*instance);
  CadWindow& window = *instance->Window();
  auto drawing = instance->Occt().Documents().AddDrawing();
  AddBoxTo(*drawing);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    drawing->ModelSpace()->AddCircle({0, 0, 0}, 1)->Delete();  // a change since the last export
    ASSERT_TRUE(window.IsUnsaved(drawing->Number()));
    const BoxAnswerer boxes(QStringLiteral("OK"));
    EXPECT_EQ(window.ExportDrawing(drawing->Number(), folder_ / c.file), c.written);
    EXPECT_EQ(fs::exists(folder_ / c.file), c.written);
    EXPECT_EQ(window.IsUnsaved(drawing->Number()), !c.written);
    // A failure is explained in a box; a success is quiet.
    EXPECT_EQ(boxes.Seen().count, c.written ? 0 : 1);
    if (!c.written) {
      EXPECT_TRUE(boxes.Seen().text.startsWith("导出失败："));
    }
  }
}

TEST_F(CadWindowTest, ClosingTheWindowEndsTheInstanceAndTheNextConnectionStartsAnother) {
  RegisterWindowedCadFactory();
  std::vector<std::string> messages;
  const auto connect = [&] {
    return ConnectCad([&](const std::string& text) { messages.push_back(text); });
  };
  ASSERT_FALSE(connect());
  auto instance = std::dynamic_pointer_cast<WindowedCadApplication>(cadApp);
  ASSERT_NE(instance, nullptr);
  instances_.push_back(instance);
  ASSERT_FALSE(connect());
  EXPECT_EQ(cadApp, instance);  // attached again, not started again

  Show(*instance);
  auto drawing = instance->Occt().Documents().AddDrawing();
  auto solid = AddBoxTo(*drawing);
  QPointer<CadWindow> window = instance->Window();
  {
    const BoxAnswerer boxes(QStringLiteral("取消"));
    window->close();
    EXPECT_EQ(boxes.Seen().count, 1);
    EXPECT_TRUE(boxes.Seen().text.contains("Drawing1"));
  }
  EXPECT_TRUE(instance->IsRunning());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(GetRunningInstance(kCadProgId), instance);
  {
    const BoxAnswerer boxes(QStringLiteral("放弃并关闭"));
    window->close();
    EXPECT_EQ(boxes.Seen().count, 1);
  }
  EXPECT_FALSE(instance->IsRunning());
  EXPECT_THROW(GetRunningInstance(kCadProgId), CadError);
  EXPECT_FALSE(drawing->IsOpen());
  EXPECT_FALSE(IsAlive(*solid));
  EXPECT_THROW(instance->SetVisible(true), CadError);
  EXPECT_THROW(instance->Documents(), CadError);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());

  ASSERT_FALSE(connect());
  EXPECT_NE(cadApp, instance);
  instances_.push_back(std::dynamic_pointer_cast<WindowedCadApplication>(cadApp));
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kelvo::cad::testing
