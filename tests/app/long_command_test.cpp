// While a long command runs, the window takes no input: typing, clicks, shortcuts and the
// window manager's close are dropped, even when still queued as the command ends; only the
// command's own message boxes answer.
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>

#include "window_fixture.h"

namespace kelvo::test {
namespace {

void PostClick(QWidget* button) {
  const QPointF at = QPointF(button->rect().center());
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(
        button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                                Qt::NoModifier));
  }
}

TEST_F(WindowTest, LongCommandDropsInputButItsOwnBoxesAnswer) {
  QSignalSpy calculate(Find<QPushButton>("cmdCalculate"), &QPushButton::clicked);
  QSignalSpy generate(form->generateButton(), &QPushButton::clicked);
  auto* field = Find<QLineEdit>("Text_a_true");
  const qsizetype windows = QApplication::topLevelWidgets().size();

  form->BeginLongCommand();
  QTest::keyClicks(field, "9");
  QTest::mouseClick(Find("cmdCalculate"), Qt::LeftButton);
  QTest::keyClick(form.get(), Qt::Key_F1);
  form->windowHandle()->close();
  form->KeepPainted();
  // The command's own box takes the user's Enter; a box that did not would be closed after
  // a while and the test would fail.
  bool answered_by_key = true;
  QTimer::singleShot(50, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Enter); });
  QTimer::singleShot(3000, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) answered_by_key = false, box->close();
  });
  form->ShowMessage("x");
  EXPECT_TRUE(answered_by_key);
  PostClick(form->generateButton());  // still queued when the command ends
  ModalWatcher late_boxes;  // a generate run let through would show the connection message
  form->EndLongCommand();
  QTest::qWait(20);

  EXPECT_EQ(field->text(), "60");
  EXPECT_EQ(calculate.count(), 0);
  EXPECT_EQ(generate.count(), 0);
  EXPECT_EQ(form->ResultText(ResultField::d1), "");
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(late_boxes.seen.empty());
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows) << "F1 opened no help";

  // Afterwards the window works as before.
  QTest::keyClicks(field, "9");
  EXPECT_EQ(field->text(), "609");
}

}  // namespace
}  // namespace kelvo::test
