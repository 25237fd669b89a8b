#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "cad/occt/occt_application.h"
#include "cad/viewer/cad_window.h"
#include "cad/viewer/drawing_view.h"
#include "cad/viewer/windowed_cad_application.h"
#include "occt_test_support.h"

// Readable failures for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace kelvo::cad::testing {

// What a message box showed before the test answered it.
struct SeenBox {
  int count = 0;  // boxes seen so far
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

// Watches for modal message boxes from now on and answers each by pressing the button labelled
// press (or closing it, when it has none such), recording what it showed. Stops when destroyed.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(QString press) : press_(std::move(press)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  const SeenBox& Seen() const { return seen_; }

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    ++seen_.count;
    seen_.title = box->windowTitle();
    seen_.text = box->text();
    seen_.icon = box->icon();
    seen_.buttons.clear();
    QAbstractButton* chosen = nullptr;
    for (QAbstractButton* button : box->buttons()) {
      seen_.buttons.append(button->text());
      if (button->text() == press_) chosen = button;
    }
    if (chosen) {
      chosen->click();
    } else {
      box->reject();
    }
  }

  QString press_;
  QTimer timer_;
  SeenBox seen_;
};

// A 10 mm cube about the origin.
inline std::shared_ptr<Cad3DSolid> AddBoxTo(CadDocument& drawing) {
  return AddBox(*drawing.ModelSpace(), {-5, -5, -5}, {10, 10, 10});
}

inline int Luminance(QRgb colour) {
  return (qRed(colour) * 299 + qGreen(colour) * 587 + qBlue(colour) * 114) / 1000;
}

inline bool SameColour(QRgb a, QRgb b, int tolerance = 10) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

inline bool IsRed(QRgb colour) {
  return qRed(colour) > 180 && qGreen(colour) < 70 && qBlue(colour) < 70;
}

// The mean colour of the 5 x 5 pixels around a point.
inline QRgb ColourAround(const QImage& image, QPointF centre) {
  int r = 0, g = 0, b = 0, n = 0;
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const QPoint p = centre.toPoint() + QPoint(dx, dy);
      if (!image.rect().contains(p)) continue;
      const QRgb c = image.pixel(p);
      r += qRed(c), g += qGreen(c), b += qBlue(c), ++n;
    }
  }
  return n == 0 ? qRgb(0, 0, 0) : qRgb(r / n, g / n, b / n);
}

// The background is whatever the view's corner shows.
inline QRgb Background(const QImage& image) {
  return image.pixel(1, 1);
}

// The smallest rectangle holding every pixel that is not background, and how many there are.
struct Drawn {
  QRect bounds;
  int pixels = 0;
};

inline Drawn DrawnPixels(const QImage& image) {
  const QRgb background = Background(image);
  Drawn drawn;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (SameColour(image.pixel(x, y), background)) continue;
      ++drawn.pixels;
      drawn.bounds |= QRect(x, y, 1, 1);
    }
  }
  return drawn;
}

inline int CountPixels(const QImage& image, bool (*predicate)(QRgb)) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      count += predicate(image.pixel(x, y)) ? 1 : 0;
  }
  return count;
}

// Windowed CAD instances on the X server of the test run; every instance a test starts is
// ended after it, without questions.
class ViewerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& instance : instances_) {
      if (instance->IsRunning()) instance->Quit();
    }
    QApplication::processEvents();
  }

  std::shared_ptr<WindowedCadApplication> Start() {
    std::shared_ptr<WindowedCadApplication> instance = StartWindowedCadApplication();
    instances_.push_back(instance);
    return instance;
  }

  // Shows the instance's window and waits until the X server has mapped it.
  static void Show(WindowedCadApplication& instance) {
    instance.SetVisible(true);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(instance.Window()));
  }

  // The view of a drawing, rendered afresh.
  static QImage Render(WindowedCadApplication& instance, const OcctDocument& drawing) {
    DrawingView* view = instance.Window()->ViewOf(drawing.Number());
    EXPECT_NE(view, nullptr);
    return view ? view->grabFramebuffer() : QImage();
  }

  static void LookFrom(CadDocument& drawing, Point direction) {
    auto viewport = drawing.ActiveViewport();
    viewport->SetDirection(direction);
    viewport->SetCenter({0, 0, 0});
    drawing.SetActiveViewport(viewport);
  }

  std::vector<std::shared_ptr<WindowedCadApplication>> instances_;
};

}  // namespace kelvo::cad::testing
