#include <QScrollBar>

#include "app/help_window.h"
#include "window_fixture.h"

namespace kelvo::test {
namespace {

// F1 with the main window active and the focus in the named control; the help windows then.
class HelpKey : public WindowTest {
 protected:
  QList<HelpWindow*> PressF1In(const char* name) {
    Activate();
    Find(name)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    return form->findChildren<HelpWindow*>();
  }
};

// One help window, at the guide's start on every F1, though the reader wandered off (followed
// a link, scrolled) or closed it in between; the main window stays as it was. A guide that is
// missing is reported in the help window alone.
TEST_F(HelpKey, F1AnywhereOpensOneHelpWindowAtTheGuidesStart) {
  ModalWatcher messages;
  const QStringList before = Snapshot();
  for (const char* name : {"Text_a_true", "Combo_fine", "Check_small", "cmdCalculate", "Text_x1"}) {
    SCOPED_TRACE(name);
    const QList<HelpWindow*> helps = PressF1In(name);
    ASSERT_EQ(helps.size(), 1);
    HelpWindow* help = helps[0];
    EXPECT_TRUE(help->isVisible() && help->isWindow());
    EXPECT_EQ(help->source(), QUrl::fromLocalFile(MainForm::DefaultHelpPath()));
    EXPECT_EQ(help->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("输入参数")));
    help->setSource(QUrl(QStringLiteral("#errors")));
    help->verticalScrollBar()->setValue(help->verticalScrollBar()->maximum());
    if (std::string_view(name) == "Check_small") help->close();
  }
  EXPECT_GT(form->findChild<HelpWindow*>()->verticalScrollBar()->maximum(), 0) << "a long page";
  EXPECT_EQ(Snapshot(), before);

  Open(QStringLiteral("/nonexistent/help/kelvoHelp.html"));
  const QList<HelpWindow*> missing = PressF1In("Text_m");
  ASSERT_EQ(missing.size(), 1);
  const QString shown = missing[0]->toPlainText();
  EXPECT_TRUE(shown.contains(QStringLiteral("找不到帮助文件"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QStringLiteral("/nonexistent/help/kelvoHelp.html")));
  QTest::qWait(20);
  EXPECT_TRUE(messages.seen.empty());
}

TEST_F(HelpKey, ClosingTheMainWindowEndsTheProgramWithHelpOpen) {
  PressF1In("Text_a_true");
  constexpr int kStillRunning = 7;
  QTimer::singleShot(0, form.get(), [this] { form->close(); });
  QTimer::singleShot(2000, qApp, [] { QApplication::exit(kStillRunning); });
  EXPECT_EQ(QApplication::exec(), 0) << "the open help window kept the program alive";
}

}  // namespace
}  // namespace kelvo::test
