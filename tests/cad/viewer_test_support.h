#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <vector>

#include "cad/occt/occt_application.h"
#include "cad/viewer/cad_window.h"
#include "cad/viewer/drawing_view.h"
#include "cad/viewer/windowed_cad_application.h"
#include "occt_test_support.h"

namespace kelvo::cad::testing {

// Answers every modal message box from now on by pressing the button labelled press (or by
// closing it when it has none such), and remembers how many came and what the last showed.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(QString press) : press_(std::move(press)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(10);
  }
  int count = 0;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;  // sorted

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    ++count, title = box->windowTitle(), text = box->text(), icon = box->icon();
    buttons.clear();
    QAbstractButton* chosen = nullptr;
    for (QAbstractButton* button : box->buttons()) {
      buttons.append(button->text());
      if (button->text() == press_) chosen = button;
    }
    buttons.sort();
    chosen ? chosen->click() : box->reject();
  }
  QString press_;
  QTimer timer_;
};

inline int Luminance(QRgb c) {
  return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}
inline bool SameColour(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) <= 10 && std::abs(qGreen(a) - qGreen(b)) <= 10 &&
         std::abs(qBlue(a) - qBlue(b)) <= 10;
}
inline bool IsRed(QRgb c) {
  return qRed(c) > 180 && qGreen(c) < 70 && qBlue(c) < 70;
}
// The background is whatever the view's corner shows.
inline QRgb Background(const QImage& image) {
  return image.pixel(1, 1);
}

// The mean colour of the 5 x 5 pixels around a point.
inline QRgb ColourAround(const QImage& image, QPointF centre) {
  int r = 0, g = 0, b = 0;
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const QRgb c = image.pixel(centre.toPoint() + QPoint(dx, dy));
      r += qRed(c), g += qGreen(c), b += qBlue(c);
    }
  }
  return qRgb(r / 25, g / 25, b / 25);
}

// Every pixel that is not background: how many, and the rectangle holding them.
struct Drawn {
  int pixels = 0;
  int red = 0;
  QRect bounds;
};
inline Drawn DrawnPixels(const QImage& image) {
  Drawn drawn;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (SameColour(image.pixel(x, y), Background(image))) continue;
      ++drawn.pixels, drawn.red += IsRed(image.pixel(x, y));
      drawn.bounds |= QRect(x, y, 1, 1);
    }
  }
  return drawn;
}

// Windowed CAD instances on the test run's X server; each is ended after its test, unasked.
class ViewerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& instance : instances_) {
      if (instance->IsRunning()) instance->Quit();
    }
  }

  // A started instance, shown and mapped by the X server.
  std::shared_ptr<WindowedCadApplication> StartShown() {
    instances_.push_back(StartWindowedCadApplication());
    instances_.back()->SetVisible(true);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(instances_.back()->Window()));
    return instances_.back();
  }

  static DrawingView& ViewOf(WindowedCadApplication& instance, const OcctDocument& drawing) {
    return *instance.Window()->ViewOf(drawing.Number());
  }
  // The drawing's view, rendered afresh.
  static QImage Render(WindowedCadApplication& instance, const OcctDocument& drawing) {
    return ViewOf(instance, drawing).grabFramebuffer();
  }

  static void LookFrom(CadDocument& drawing, Point direction) {
    auto viewport = drawing.ActiveViewport();
    viewport->SetDirection(direction);
    drawing.SetActiveViewport(viewport);
  }

  // A 10 mm cube about the origin.
  static std::shared_ptr<Cad3DSolid> AddCube(CadDocument& drawing) {
    return AddBox(*drawing.ModelSpace(), {-5, -5, -5}, {10, 10, 10});
  }

  std::vector<std::shared_ptr<WindowedCadApplication>> instances_;
};

}  // namespace kelvo::cad::testing
