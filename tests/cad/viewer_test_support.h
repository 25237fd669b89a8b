#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "cad/viewer/cad_window.h"
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

}  // namespace kelvo::cad::testing
