// During a long command typing, clicks, shortcuts and the window manager's close are dropped,
// even when still queued as it ends; only its own boxes, and the stop button while the bar
// shows, answer.
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>
#include <functional>
#include <tuple>

#include "window_fixture.h"

namespace kelvo::test {
namespace {

TEST_F(WindowTest, LongCommandDropsInputButItsOwnBoxesAndTheStopButtonAnswer) {
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
  // The command's own box takes the user's Enter; one that did not is closed after a while.
  bool answered_by_key = true;
  QTimer::singleShot(50, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Enter); });
  QTimer::singleShot(3000, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) answered_by_key = false, box->close();
  });
  form->ShowMessage("x");
  EXPECT_TRUE(answered_by_key);

  // The stop button is there only while the bar is, and a press counts once until the command
  // has acted on it. The mouse comes through the native window, as the user's does.
  QPushButton* stop = form->stopButton();
  Activate();
  QWidget* const focus = QApplication::focusWidget();
  ASSERT_TRUE(focus);
  const auto click = [&](const char* name) {
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {},
                      Find(name)->mapTo(form.get(), Find(name)->rect().center()));
  };
  // Each step: what happens; whether bar and button show, and a stop is requested, afterwards.
  const std::tuple<const char*, std::function<void()>, bool, bool> steps[] = {
      {"a click where the hidden button sits", [&] { click("cmdStop"); }, false, false},
      {"the bar shows", [&] { form->ShowProgress("小齿轮：滚切 1/18", 1, 37); }, true, false},
      {"other controls stay dead", [&] { click("cmdCalculate"), click("Text_m"); }, true, false},
      {"a click on the button", [&] { click("cmdStop"); }, true, true},
      {"the command acts on it", [&] { form->ClearStopRequest(); }, true, false},
      {"a second press", [&] { click("cmdStop"); }, true, true},
      {"the bar goes", [&] { form->HideProgress(); }, false, true},
  };
  for (const auto& [name, act, shown, requested] : steps) {
    SCOPED_TRACE(name);
    act();
    form->KeepPainted();
    EXPECT_EQ(stop->isVisible(), shown);
    EXPECT_EQ(Find("ProgressBar1")->isVisible(), shown);
    EXPECT_EQ(form->StopRequested(), requested);
    EXPECT_FALSE(stop->isDown());
    EXPECT_EQ(QApplication::focusWidget(), focus) << "no click moves the focus";
    EXPECT_EQ(stop->isEnabled(), !requested) << "a press taken greys it until acted on";
  }

  // A click still queued as the command ends; let through, it would show the connection message.
  const QPointF at = QPointF(form->generateButton()->rect().center());
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(form->generateButton(),
                                new QMouseEvent(type, at, form->generateButton()->mapToGlobal(at),
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  }
  ModalWatcher late_boxes;
  form->EndLongCommand();
  QTest::qWait(20);

  EXPECT_FALSE(form->StopRequested());
  EXPECT_EQ(field->text(), "60");
  EXPECT_EQ(calculate.count() + generate.count(), 0);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(late_boxes.seen.empty());
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows) << "F1 opened no help";
  EXPECT_EQ(stop->focusPolicy(), Qt::NoFocus) << "no Tab, no key reaches the stop button";
  QTest::keyClicks(field, "9");
  EXPECT_EQ(field->text(), "609") << "afterwards the window works as before";
}

}  // namespace
}  // namespace kelvo::test
