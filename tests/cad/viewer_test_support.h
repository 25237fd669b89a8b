#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <vector>

#include "cad/viewer/cad_window.h"
#include "cad/viewer/drawing_view.h"
#include "cad/viewer/windowed_cad_application.h"
#include "occt_test_support.h"

namespace kelvo::cad::testing {

// Answers every modal message box from now on with the button labelled press (or closes it
// when it has none such), and notes what each showed.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(QString press) : press_(std::move(press)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(10);
  }
  QStringList texts;
  QStringList buttons;  // of the last box, sorted

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    texts.append(box->text());
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
// Within a few levels of whatever the view's corner shows.
inline bool IsBackground(const QImage& image, QRgb c) {
  const QRgb b = image.pixel(1, 1);
  return std::abs(qRed(c) - qRed(b)) <= 10 && std::abs(qGreen(c) - qGreen(b)) <= 10 &&
         std::abs(qBlue(c) - qBlue(b)) <= 10;
}

// The mean colour of the 5 x 5 pixels around a point.
inline QRgb ColourAround(const QImage& image, QPointF centre) {
  const QImage around = image.copy(QRect(centre.toPoint() - QPoint(2, 2), QSize(5, 5)));
  return around.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0);
}

// Every pixel that is not background: how many, how many red, and the rectangle holding them.
struct Drawn {
  int pixels = 0, red = 0;
  QRect bounds;
};
inline Drawn DrawnPixels(const QImage& image) {
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

inline DrawingView& ViewOf(WindowedCadApplication& instance, const OcctDocument& drawing) {
  return *instance.Window()->ViewOf(drawing.Number());
}
// The drawing's view, rendered afresh.
inline QImage Render(WindowedCadApplication& instance, const OcctDocument& drawing) {
  return ViewOf(instance, drawing).grabFramebuffer();
}

}  // namespace kelvo::cad::testing
