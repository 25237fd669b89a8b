#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string_view>

#include "app/main_form.h"

namespace kelvo::test {

// Confirms every modal message box as soon as it is up, and remembers what it showed: its title,
// its text, OK alone or other buttons, and any icon, as "Kelvo|text|OK".
class ModalWatcher {
 public:
  ModalWatcher() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen << box->windowTitle() + "|" + box->text() +
                  (box->standardButtons() == QMessageBox::Ok ? "|OK" : "|other buttons") +
                  (box->icon() == QMessageBox::NoIcon ? "" : "|icon");
      box->accept();
    });
    timer_.start(5);
  }
  QStringList seen;

 private:
  QTimer timer_;
};

// A fresh main window, shown and active, with the default help document.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(MainForm::DefaultHelpPath()); }

  void Open(const QString& help_path) {
    form = std::make_unique<MainForm>(help_path);
    form->show();
    Activate();
  }
  void Activate() {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  template <typename Widget = QWidget>
  Widget* Find(std::string_view name) const {
    auto* widget = form->findChild<Widget*>(QString::fromLatin1(name.data(), name.size()));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // Every text and option of the window, to see that something changed nothing.
  QStringList Snapshot() const {
    QStringList state;
    for (const QLineEdit* field : form->findChildren<QLineEdit*>())
      state << field->objectName() + "=" + field->text();
    const auto* fine = Find<QComboBox>("Combo_fine");
    state << "Combo_fine=" + fine->currentText() << QString::number(fine->count()) + " items";
    for (const QCheckBox* check : form->findChildren<QCheckBox*>())
      state << check->objectName() + (check->isChecked() ? "=1" : "=0");
    state << "Label_prompt=" + Find<QLabel>("Label_prompt")->text();
    state << (form->isVisible() ? "visible" : "hidden");
    return state;
  }

  std::unique_ptr<MainForm> form;
};

}  // namespace kelvo::test
