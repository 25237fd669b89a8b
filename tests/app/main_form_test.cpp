// The main window's real widgets, driven as a user would.
#include "app/main_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/commands/calculate_steps.h"
#include "app/help_window.h"
#include "app/kelvo_application.h"
#include "app/report_window.h"
#include "app/window_fonts.h"

namespace kelvo::test {
namespace {

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
  // F1 with the main window active and the focus in the named control; the help windows then.
  QList<HelpWindow*> PressF1In(const char* name) {
    Activate();
    Find(name)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    return form->findChildren<HelpWindow*>();
  }

  template <typename Widget = QWidget>
  Widget* Find(std::string_view name) const {
    auto* widget = form->findChild<Widget*>(QString::fromLatin1(name.data(), name.size()));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // Types the seven inputs over whatever the fields held.
  void Type(const GearPairTexts& inputs) {
    for (std::size_t i = 0; i < kGearPairTextsInOrder.size(); ++i) {
      auto* field = Find<QLineEdit>(kInputFieldNames[i]);
      field->selectAll();
      QTest::keyClick(field, Qt::Key_Delete);
      QTest::keyClicks(field, (inputs.*kGearPairTextsInOrder[i]).c_str());
    }
  }
  // Clicks 参数计算; the result fields afterwards, as "Text_d1=40".
  QStringList Calculate() {
    QTest::mouseClick(Find("cmdCalculate"), Qt::LeftButton);
    QTest::qWait(1);
    QStringList results;
    for (const ResultFieldFormat& format : kResultFields) {
      results << QString::fromLatin1(format.name.data(), format.name.size()) + "=" +
                     Find<QLineEdit>(format.name)->text();
    }
    return results;
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

// The one message box of input that gives no pair, as ModalWatcher notes it.
const QString kBadInputBox = "Kelvo|" + QString::fromUtf8(kBadInputMessage.data()) + "|OK";

bool HasFocus(const QWidget* widget) {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == widget || widget->isAncestorOf(focus));
}

// The fixed window as it opens, its fields painted white even where disabled (Fusion greys a
// disabled field's ground unless told), its icon of a gear with a bore.
TEST_F(WindowTest, OpensWithItsInitialStateTabSkipsTheResultsAndEnterAndEscDoNothing) {
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_FALSE(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  const GearPairTexts initial{
      .a_true = "60", .m = "2", .z1 = "20", .z2 = "40", .b = "20", .beta = "0", .x1 = "0"};
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(form->InputText(static_cast<InputField>(i)), initial.*kGearPairTextsInOrder[i]);
    EXPECT_EQ(form->ResultText(ResultFieldAt(i)), "");
    EXPECT_FALSE(Find(kResultFields[i].name)->isEnabled());
  }
  auto* fine = Find<QComboBox>("Combo_fine");
  EXPECT_TRUE(fine->isEditable());
  EXPECT_EQ(fine->count(), 5);
  for (int i = 0; i < fine->count(); ++i)
    EXPECT_EQ(fine->itemText(i), QString::number(i + 2));
  EXPECT_EQ(form->FinenessText(), "4");
  EXPECT_EQ(std::vector<int>({form->CheckValue(CheckOption::small_gear),
                              form->CheckValue(CheckOption::large_gear),
                              form->CheckValue(CheckOption::shade)}),
            std::vector<int>({1, 0, 1}));
  EXPECT_EQ(Find<QLabel>("Label18")->text(), QStringLiteral("按F1健打开帮助文件"));
  EXPECT_EQ(form->StatusText(), "");
  EXPECT_TRUE(HasFocus(Find("Text_a_true")));

  const QImage window = form->grab().toImage();
  for (const char* name : {"Text_a_true", "Text_d1", "Text_x2", "Combo_fine"}) {
    const QRect field = Find(name)->geometry();
    EXPECT_EQ(window.pixelColor(field.center().x() + 12, field.center().y()), Qt::white) << name;
  }
  const QImage icon = form->windowIcon().pixmap(32, 32).toImage();
  ASSERT_EQ(icon.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 0) << "the gear's bore";
  EXPECT_EQ(qAlpha(icon.pixel(16, 8)), 255) << "the gear's body";

  // The result fields refuse focus and typing, but a command writes them.
  for (const ResultFieldFormat& format : kResultFields) {
    auto* field = Find<QLineEdit>(format.name);
    QTest::mouseClick(field, Qt::LeftButton);
    field->setFocus();
    QTest::keyClicks(field, "123");
    EXPECT_TRUE(HasFocus(Find("Text_a_true"))) << format.name;
    EXPECT_EQ(field->text(), "") << format.name;
  }
  form->SetResultText(ResultField::x2, "0.013");
  EXPECT_EQ(Find<QLineEdit>("Text_x2")->text(), "0.013");

  // Tab round the inputs and options, skipping the results. Enter and Esc anywhere but on a
  // button change nothing and run no command; the fineness keeps any typed text without adding
  // it to its list.
  const QStringList order = QString(
                                "Text_a_true Text_m Text_z1 Text_z2 Text_b Text_beta Text_x1 "
                                "Combo_fine Check_small Check_large cmdCalculate cmd3D "
                                "Check_shade cmdReport")
                                .split(' ');
  ModalWatcher messages;
  fine->lineEdit()->selectAll();
  QTest::keyClicks(fine->lineEdit(), "abc");
  Find("Text_a_true")->setFocus();
  const QStringList before = Snapshot();
  for (qsizetype step = 1; step <= order.size(); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const QString name = order[step % order.size()];
    EXPECT_TRUE(HasFocus(Find(name.toStdString()))) << "Tab " << step;
    const bool button = qobject_cast<QPushButton*>(QApplication::focusWidget()) != nullptr;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      if (!button || key == Qt::Key_Escape) QTest::keyClick(QApplication::focusWidget(), key);
    }
    EXPECT_EQ(Snapshot(), before) << name.toStdString();
  }
  EXPECT_EQ(form->FinenessText(), "abc");
  EXPECT_EQ(fine->count(), 5);
  EXPECT_TRUE(messages.seen.empty());
}

// A keyboard user tabs to a push button and presses Enter: the button is clicked, as by Space,
// on every push button the window has or is given (elsewhere Enter does nothing, as the Tab
// round above shows).
TEST_F(WindowTest, EnterOnAFocusedPushButtonClicksIt) {
  auto* added = new QPushButton(QStringLiteral("计算书"), form.get());
  added->show();
  struct Press {
    const char* on;
    Qt::Key key;
    int calculations;  // clicks of cmdCalculate so far
    int added_clicks;
  };
  const Press presses[] = {
      {.on = "cmdCalculate", .key = Qt::Key_Return, .calculations = 1, .added_clicks = 0},
      {.on = "cmdCalculate", .key = Qt::Key_Enter, .calculations = 2, .added_clicks = 0},
      {.on = "", .key = Qt::Key_Enter, .calculations = 2, .added_clicks = 1},
  };
  QSignalSpy calculate(Find<QPushButton>("cmdCalculate"), &QPushButton::clicked);
  QSignalSpy added_clicked(added, &QPushButton::clicked);
  for (const Press& press : presses) {
    SCOPED_TRACE(std::string(press.on) + " " + std::to_string(press.key));
    QWidget* target = *press.on ? Find(press.on) : added;
    target->setFocus();
    QTest::keyClick(target, press.key);
    EXPECT_EQ(calculate.count(), press.calculations);
    EXPECT_EQ(added_clicked.count(), press.added_clicks);
    EXPECT_TRUE(HasFocus(target)) << "the focus stays";
  }
  EXPECT_EQ(form->ResultText(ResultField::d1), "40") << "the calculation ran";
}

// The bar shows its caption as the command wrote it: one percent sign, no figure of its own.
TEST_F(WindowTest, TheProgressBarShowsItsCaptionAsWritten) {
  auto* bar = Find<QProgressBar>("ProgressBar1");
  for (const char* caption : {"大齿轮：复制齿槽 42%", "小齿轮：滚切 5/18", "%p %v %m"}) {
    form->ShowProgress(caption, 420, 1000);
    EXPECT_EQ(bar->text().remove(QChar(0x200B)), QString::fromUtf8(caption));
  }
  form->HideProgress();
}

// Qt's own texts read in Chinese with the translations loaded: the message box's button (the 3D
// window's tests hold its dialogs' buttons).
TEST_F(WindowTest, QtsOwnButtonsReadChinese) {
  ASSERT_TRUE(InstallQtChineseTranslations(QLocale(QLocale::Chinese, QLocale::China)));
  QStringList buttons;
  QTimer::singleShot(20, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    for (QAbstractButton* button : box->buttons())
      buttons << button->text();
    box->accept();
  });
  form->ShowMessage("x");
  EXPECT_EQ(buttons, QStringList({QStringLiteral("确定")}));
}

// 宋体 at 9 pt for the captions the layout was drawn with, the dialog font elsewhere; every
// caption fits the room its control gives it.
TEST_F(WindowTest, CaptionsUseTheirFontsAndFitTheirControls) {
  const QStringList song = QString(
                               "Frame1 Frame2 Frame5 Check_small Check_large cmdCalculate "
                               "cmd3D cmdReport Label_prompt cmdStop")
                               .split(' ');
  int captions = 0;
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    const QFontMetrics metrics(widget->font());
    QString text;
    QSize room;  // for the text alone
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      text = label->text();
      room = label->contentsRect().size();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      QStyleOptionButton option;
      option.initFrom(button);
      text = option.text = button->text();
      const auto part = qobject_cast<QCheckBox*>(button) ? QStyle::SE_CheckBoxContents
                                                         : QStyle::SE_PushButtonContents;
      room = button->style()->subElementRect(part, &option, button).size();
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
      text = frame->title();
      room = frame->size() -
             QSize(frame->minimumSizeHint().width() - metrics.horizontalAdvance(text), 0);
    } else {
      continue;  // no caption
    }
    if (name.isEmpty()) continue;  // part of a compound widget
    ++captions;
    const QFontInfo info(widget->font());
    EXPECT_EQ(info.pointSize(), 9) << name.toStdString();
    EXPECT_EQ(info.family() == kSongSubstitute,
              song.contains(name) || (name.startsWith("Label") && name != "Label18"))
        << name.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(text), room.width()) << text.toStdString();
    EXPECT_LE(metrics.height(), room.height()) << text.toStdString();
  }
  EXPECT_EQ(captions, 28);
}

const GearPairTexts kHelical{
    .a_true = "100", .z1 = "23", .z2 = "73", .b = "30", .beta = "15", .x1 = "0.3"};

// The default pair's and the helical pair's seven results, and the solved pair kept.
TEST_F(WindowTest, CalculateFillsTheResults) {
  ModalWatcher messages;
  EXPECT_EQ(Calculate(), QStringList({"Text_d1=40", "Text_d2=80", "Text_da1=44", "Text_da2=84",
                                      "Text_h=4.5", "Text_x_sum=0", "Text_x2=0"}));
  Type(kHelical);
  EXPECT_EQ(Calculate(),
            QStringList({"Text_d1=47.62", "Text_d2=151.15", "Text_da1=52.8", "Text_da2=155.18",
                         "Text_h=4.49", "Text_x_sum=0.313", "Text_x2=0.013"}));
  EXPECT_TRUE(messages.seen.empty());
  EXPECT_EQ(form->Session().gearPair.z2, 73) << "the solved pair is kept";
}

// The report button under the generate button, in its column at its size; the stop button on the
// progress bar's line before the bar, clear of every other control; the rest where it was.
TEST_F(WindowTest, TheReportButtonSitsUnderGenerateAndTheStopButtonBesideTheBar) {
  EXPECT_EQ(Find("cmdReport")->geometry(), QRect(420, 288, 89, 29)) << "6300, 4320, 1335, 435";
  EXPECT_EQ(Find<QPushButton>("cmdReport")->text(), QStringLiteral("计算书"));
  EXPECT_EQ(Find("cmd3D")->geometry(), QRect(420, 252, 89, 29));
  EXPECT_EQ(Find("cmdCalculate")->geometry(), QRect(420, 216, 89, 29));
  EXPECT_EQ(Find("ProgressBar1")->geometry(), QRect(216, 292, 181, 16));
  const QRect stop = form->stopButton()->geometry();
  const QRect bar = Find("ProgressBar1")->geometry();
  EXPECT_EQ(stop.center().y(), bar.center().y()) << "on the bar's line";
  EXPECT_LT(stop.right(), bar.left()) << "before the bar";
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    if (widget == form->stopButton() || widget->parentWidget() != form.get()) continue;
    EXPECT_FALSE(widget->geometry().intersects(stop)) << widget->objectName().toStdString();
  }
}

// 计算书 solves as 参数计算 does and opens one report window on the pair, which follows every later
// successful calculation while it is open; a failure gives the one message and changes nothing.
TEST_F(WindowTest, TheReportButtonOpensOneReportThatFollowsTheCalculations) {
  ModalWatcher messages;
  const auto report_text = [&] {
    ReportWindow* report = form->reportWindow();
    return report ? report->View()->document()->toPlainText() : QString();
  };
  QTest::mouseClick(Find("cmdReport"), Qt::LeftButton);
  ReportWindow* report = form->reportWindow();
  ASSERT_NE(report, nullptr);
  EXPECT_TRUE(report->isVisible());
  EXPECT_TRUE(report->isWindow());
  EXPECT_EQ(report->windowTitle(), QStringLiteral("计算书"));
  EXPECT_EQ(Find<QLineEdit>("Text_d1")->text(), QStringLiteral("40")) << "the results are shown";
  EXPECT_TRUE(report_text().contains(QStringLiteral("正常 9 项，警告 0 项，错误 0 项")));
  EXPECT_EQ(report->Subject().pair.z1, 20);

  // A calculation with the report open: it follows, an 8-tooth pinion undercut.
  Type({.a_true = "48", .z1 = "8"});
  Calculate();
  EXPECT_EQ(report->Subject().pair.z1, 8);
  EXPECT_TRUE(report_text().contains(QStringLiteral("正常 7 项，警告 1 项，错误 1 项")));

  // A failure: the one message, the report as it was, no second window.
  const QString before = report_text();
  Type({.a_true = "48", .m = "abc", .z1 = "8"});
  QTest::mouseClick(Find("cmdReport"), Qt::LeftButton);
  QTest::qWait(1);
  EXPECT_EQ(messages.seen, QStringList(kBadInputBox));
  EXPECT_EQ(report_text(), before);
  EXPECT_EQ(form->findChildren<ReportWindow*>().size(), 1);

  // Closed, it follows nothing; opened again, it shows the pair of the moment.
  report->close();
  Type({});
  Calculate();
  EXPECT_EQ(report->Subject().pair.z1, 8) << "a closed report stays as it was";
  QTest::mouseClick(Find("cmdReport"), Qt::LeftButton);
  EXPECT_EQ(form->reportWindow(), report);
  EXPECT_TRUE(report->isVisible());
  EXPECT_EQ(report->Subject().pair.z1, 20);
  EXPECT_EQ(messages.seen.size(), 1);
}

// The report window saves the report as HTML with the picture inline and as PDF.
TEST_F(WindowTest, TheReportSavesAsHtmlAndPdf) {
  QTest::mouseClick(Find("cmdReport"), Qt::LeftButton);
  ReportWindow* report = form->reportWindow();
  ASSERT_NE(report, nullptr);
  const QTemporaryDir folder;
  const auto read = [&](const char* name) {
    std::ifstream file(std::filesystem::path(folder.filePath(name).toStdString()),
                       std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  };
  ASSERT_TRUE(report->SaveHtml(folder.filePath("计算书.html")));
  ASSERT_TRUE(report->SavePdf(folder.filePath("计算书.pdf")));
  const std::string html = read("计算书.html");
  EXPECT_TRUE(html.starts_with("<!DOCTYPE html>"));
  EXPECT_NE(html.find("<svg "), std::string::npos);
  EXPECT_TRUE(read("计算书.pdf").starts_with("%PDF-"));
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
      << "no temporary left";
}

// Text that is no number in any field, and numbers no gear can have, give one message box,
// titled Kelvo, with OK only and no icon, before anything is written: the earlier results, the
// typed text and gearPair stay as they were. The signs that mean something (a left-hand helix, a
// negative shift) and a face width of 0 solve.
TEST_F(WindowTest, CalculateRefusesTextAndNumbersNoGearCanHaveAndChangesNothing) {
  // clang-format off
  const std::tuple<InputField, const char*, bool> cases[] = {
      {InputField::a_true, "", false}, {InputField::m, "abc", false}, {InputField::z1, "2mm", false},
      {InputField::z2, "1..5", false}, {InputField::b, "", false}, {InputField::beta, "abc", false},
      {InputField::x1, "2mm", false},
      {InputField::m, "-2", false}, {InputField::m, "0", false}, {InputField::m, "-0", false},
      {InputField::m, "-1e-300", false}, {InputField::z1, "-23", false},
      {InputField::z1, "0.4", false},  // rounds to no tooth
      {InputField::z2, "0", false}, {InputField::z2, "-23", false},  // z1 + z2 = 0
      {InputField::b, "-5", false}, {InputField::b, "-1e-9", false},
      {InputField::beta, "-15", true}, {InputField::x1, "-0.3", true},
      {InputField::b, "0", true}, {InputField::b, "-0", true}, {InputField::z1, "0.6", true},
  };
  // clang-format on
  ModalWatcher messages;
  for (const auto& [field, text, solves] : cases) {
    SCOPED_TRACE(std::string(kInputFieldNames[static_cast<std::size_t>(field)]) + " \"" + text +
                 "\"");
    GearPairTexts inputs = kHelical;
    inputs.*kGearPairTextsInOrder[static_cast<std::size_t>(field)] = text;
    Type(inputs);
    for (const ResultFieldFormat& format : kResultFields)
      Find<QLineEdit>(format.name)->setText("earlier");
    form->Session().gearPair = {};
    const QStringList typed = Snapshot();
    messages.seen.clear();
    Calculate();
    EXPECT_EQ(messages.seen, solves ? QStringList() : QStringList(kBadInputBox));
    EXPECT_EQ(Find<QLineEdit>("Text_d1")->text() == "earlier", !solves);
    EXPECT_EQ(form->Session().gearPair.m, solves ? 2.0 : 0.0) << "no record reaches gearPair";
    if (!solves) {
      EXPECT_EQ(Snapshot(), typed);
    }
  }
}

// One help window, at the guide's start on every F1, though the reader wandered off (followed
// a link, scrolled) or closed it in between; the main window stays as it was. A guide that is
// missing is reported in the help window alone.
TEST_F(WindowTest, F1AnywhereOpensOneHelpWindowAtTheGuidesStart) {
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

TEST_F(WindowTest, ClosingTheMainWindowEndsTheProgramWithHelpOpen) {
  PressF1In("Text_a_true");
  constexpr int kStillRunning = 7;
  QTimer::singleShot(0, form.get(), [this] { form->close(); });
  QTimer::singleShot(2000, qApp, [] { QApplication::exit(kStillRunning); });
  EXPECT_EQ(QApplication::exec(), 0) << "the open help window kept the program alive";
}

// During a long command typing, clicks, shortcuts and the window manager's close are dropped,
// even when still queued as it ends; only its own boxes, and the stop button while the bar
// shows, answer.
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
    if (QWidget* box = QApplication::activeModalWidget()) {
      answered_by_key = false;
      box->close();
    }
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
  struct Step {
    const char* name;
    std::function<void()> act;
    bool shown = true;       // the bar and the button show afterwards
    bool requested = false;  // and a stop is requested
  };
  const Step steps[] = {
      {.name = "a click where the hidden button sits",
       .act = [&] { click("cmdStop"); },
       .shown = false},
      {.name = "the bar shows", .act = [&] { form->ShowProgress("小齿轮：滚切 1/18", 1, 37); }},
      {.name = "other controls stay dead",
       .act =
           [&] {
             click("cmdCalculate");
             click("Text_m");
           }},
      {.name = "a click on the button", .act = [&] { click("cmdStop"); }, .requested = true},
      {.name = "the command acts on it", .act = [&] { form->ClearStopRequest(); }},
      {.name = "a second press", .act = [&] { click("cmdStop"); }, .requested = true},
      {.name = "the bar goes",
       .act = [&] { form->HideProgress(); },
       .shown = false,
       .requested = true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.act();
    form->KeepPainted();
    EXPECT_EQ(stop->isVisible(), step.shown);
    EXPECT_EQ(Find("ProgressBar1")->isVisible(), step.shown);
    EXPECT_EQ(form->StopRequested(), step.requested);
    EXPECT_FALSE(stop->isDown());
    EXPECT_EQ(QApplication::focusWidget(), focus) << "no click moves the focus";
    EXPECT_EQ(stop->isEnabled(), !step.requested) << "a press taken greys it until acted on";
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
