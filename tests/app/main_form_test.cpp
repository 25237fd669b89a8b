#include <QFontInfo>
#include <QGroupBox>
#include <QStyleOptionButton>
#include <cstring>
#include <vector>

#include "app/calculate_steps.h"
#include "app/window_fonts.h"
#include "window_fixture.h"

namespace kelvo::test {
namespace {

bool HasFocus(const QWidget* widget) {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == widget || widget->isAncestorOf(focus));
}

// The fixed window as it opens, its fields painted white even where disabled (Fusion greys a
// disabled field's ground unless told), its icon of a gear with a bore.
TEST_F(WindowTest, OpensWithItsInitialStateTabSkipsTheResultsAndEnterAndEscDoNothing) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("齿轮滚齿仿真分析及三维造型 (For Autocad2000)"));
  EXPECT_EQ(form->size(), QSize(529, 373));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_FALSE(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  const char* const inputs[] = {"60", "2", "20", "40", "20", "0", "0"};
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(form->InputText(static_cast<InputField>(i)), inputs[i]);
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

  // Tab round the inputs and options, skipping the results. Enter and Esc anywhere change
  // nothing and run no command; the fineness keeps any typed text without adding it to its list.
  const QStringList order = QString(
                                "Text_a_true Text_m Text_z1 Text_z2 Text_b Text_beta Text_x1 "
                                "Combo_fine Check_small Check_large cmdCalculate cmd3D "
                                "Check_shade")
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
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
      QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(Snapshot(), before) << name.toStdString();
  }
  EXPECT_EQ(form->FinenessText(), "abc");
  EXPECT_EQ(fine->count(), 5);
  EXPECT_TRUE(messages.seen.empty());
}

// 宋体 at 9 pt for the captions the layout was drawn with, the dialog font elsewhere; every
// caption fits the room its control gives it.
TEST_F(WindowTest, CaptionsUseTheirFontsAndFitTheirControls) {
  const QStringList song = QString(
                               "Frame1 Frame2 Frame5 Check_small Check_large cmdCalculate "
                               "cmd3D Label_prompt cmdStop")
                               .split(' ');
  int captions = 0;
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    const QFontMetrics metrics(widget->font());
    QString text;
    QSize room;  // for the text alone
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      text = label->text(), room = label->contentsRect().size();
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
  EXPECT_EQ(captions, 27);
}

using Texts = std::array<const char*, 7>;

// The default pair's and the helical pair's seven results; then each input in turn holding text
// that is no number: one message box, titled Kelvo, with OK only and no icon, and the earlier
// results, the typed text and gearPair stay as they were.
TEST_F(WindowTest, CalculateFillsTheResultsAndBadTextGivesOneMessageAndChangesNothing) {
  const auto type = [&](const Texts& inputs) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      auto* field = Find<QLineEdit>(kInputFieldNames[i]);
      field->selectAll();
      QTest::keyClick(field, Qt::Key_Delete);
      QTest::keyClicks(field, inputs[i]);
    }
  };
  const auto calculate = [&] {
    QTest::mouseClick(Find("cmdCalculate"), Qt::LeftButton);
    QTest::qWait(1);
    QStringList results;
    for (const ResultFieldFormat& format : kResultFields)
      results << Find<QLineEdit>(format.name)->text();
    return results;
  };
  ModalWatcher messages;
  EXPECT_EQ(calculate(), QStringList({"40", "80", "44", "84", "4.5", "0", "0"}));
  const Texts helical = {"100", "2", "23", "73", "30", "15", "0.3"};
  type(helical);
  const QStringList results = {"47.62", "151.15", "52.8", "155.18", "4.49", "0.313", "0.013"};
  EXPECT_EQ(calculate(), results);
  EXPECT_TRUE(messages.seen.empty());
  const GearPairData solved = gearPair;
  EXPECT_EQ(solved.z2, 73) << "the solved pair is kept";
  const QString message = "Kelvo|" + QString::fromUtf8(kBadInputMessage.data()) + "|OK";
  for (std::size_t field = 0; field < 7; ++field) {
    for (const char* bad : {"", "abc", "2mm", "1..5"}) {
      SCOPED_TRACE(std::string(kInputFieldNames[field]) + " = \"" + bad + "\"");
      Texts inputs = helical;
      inputs[field] = bad;
      type(inputs);
      const QStringList typed = Snapshot();
      messages.seen.clear();
      EXPECT_EQ(calculate(), results) << "the earlier results stay";
      EXPECT_EQ(messages.seen, QStringList(message));
      EXPECT_EQ(Snapshot(), typed);
      EXPECT_EQ(std::memcmp(&gearPair, &solved, sizeof solved), 0);
    }
  }
}

}  // namespace
}  // namespace kelvo::test
