#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionButton>
#include <set>

#include "app/window_fonts.h"
#include "window_fixture.h"

namespace kelvo::test {
namespace {

const char* const kTabOrder[] = {
    "Text_a_true", "Text_m",      "Text_z1",     "Text_z2",      "Text_b", "Text_beta",  "Text_x1",
    "Combo_fine",  "Check_small", "Check_large", "cmdCalculate", "cmd3D",  "Check_shade"};

bool HasFocus(const QWidget* widget) {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == widget || widget->isAncestorOf(focus));
}

TEST_F(WindowTest, OpensWithItsInitialState) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("齿轮滚齿仿真分析及三维造型 (For Autocad2000)"));
  EXPECT_EQ(form->size(), QSize(529, 373));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_FALSE(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  const char* const inputs[] = {"60", "2", "20", "40", "20", "0", "0"};
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(form->InputText(static_cast<InputField>(i)), inputs[i]);
    EXPECT_EQ(form->ResultText(ResultFieldAt(i)), "");
    EXPECT_FALSE(Find(std::string(kResultFields[i].name).c_str())->isEnabled());
  }
  const auto* fine = Find<QComboBox>("Combo_fine");
  EXPECT_TRUE(fine->isEditable());
  EXPECT_EQ(form->FinenessText(), "4");
  QStringList items;
  for (int i = 0; i < fine->count(); ++i)
    items << fine->itemText(i);
  EXPECT_EQ(items, QStringList({"2", "3", "4", "5", "6"}));
  EXPECT_EQ(form->CheckValue(CheckOption::small_gear), 1);
  EXPECT_EQ(form->CheckValue(CheckOption::large_gear), 0);
  EXPECT_EQ(form->CheckValue(CheckOption::shade), 1);
  EXPECT_EQ(Find<QLabel>("Label18")->text(), QStringLiteral("按F1健打开帮助文件"));
  EXPECT_EQ(form->StatusText(), "");
  EXPECT_TRUE(HasFocus(Find("Text_a_true")));

  // The icon: 32 x 32, at most 16 colours, a gear with a bore.
  const QImage icon = form->windowIcon().pixmap(32, 32).toImage();
  ASSERT_EQ(icon.size(), QSize(32, 32));
  std::set<QRgb> colours;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      colours.insert(qAlpha(icon.pixel(x, y)) == 0 ? 0 : icon.pixel(x, y));
  EXPECT_LE(colours.size(), 16u);
  EXPECT_GT(colours.size(), 2u);
  EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 0) << "the gear's bore";
}

// Where each control lands in the client area, in pixels: the layout's twips divided by 15,
// frame-relative positions added to their frame's corner.
TEST_F(WindowTest, PlacesEveryControlAsTheLayoutDrawsIt) {
  // clang-format off
  const std::pair<const char*, QRect> places[] = {
      {"Frame3", {12, 16, 185, 245}}, {"Frame4", {208, 16, 185, 245}}, {"Frame1", {408, 16, 113, 57}},
      {"Frame2", {408, 80, 113, 65}}, {"Frame5", {408, 152, 113, 49}},
      {"Label1", {56, 40, 49, 17}}, {"Label2", {64, 72, 41, 17}}, {"Label3", {40, 103, 65, 17}},
      {"Label4", {40, 136, 65, 17}}, {"Label5", {48, 168, 57, 17}}, {"Label6", {56, 199, 49, 17}},
      {"Label7", {16, 232, 89, 17}}, {"Label8", {212, 40, 89, 17}}, {"Label9", {212, 73, 89, 17}},
      {"Label10", {212, 103, 89, 17}}, {"Label11", {212, 136, 89, 17}},
      {"Label12", {212, 168, 89, 17}}, {"Label13", {212, 200, 89, 17}},
      {"Label14", {212, 232, 89, 17}}, {"Text_a_true", {112, 36, 73, 21}},
      {"Text_m", {112, 68, 73, 21}}, {"Text_z1", {112, 100, 73, 21}}, {"Text_z2", {112, 132, 73, 21}},
      {"Text_b", {112, 164, 73, 21}}, {"Text_beta", {112, 196, 73, 21}},
      {"Text_x1", {112, 228, 73, 21}}, {"Text_d1", {308, 36, 73, 21}}, {"Text_d2", {308, 68, 73, 21}},
      {"Text_da1", {308, 100, 73, 21}}, {"Text_da2", {308, 132, 73, 21}},
      {"Text_h", {308, 164, 73, 21}}, {"Text_x_sum", {308, 196, 73, 21}},
      {"Text_x2", {308, 228, 73, 21}}, {"Combo_fine", {424, 40, 81, 20}},
      {"Check_small", {432, 92, 73, 25}}, {"Check_large", {432, 116, 73, 25}},
      {"Check_shade", {432, 172, 69, 21}}, {"cmdCalculate", {420, 216, 89, 29}},
      {"cmd3D", {420, 252, 89, 29}}, {"Label18", {8, 272, 193, 17}},
      {"Label_prompt", {216, 272, 181, 17}}, {"cmdStop", {420, 289, 89, 22}}};
  // clang-format on
  for (const auto& [name, rect] : places) {
    const QWidget* widget = Find(name);
    EXPECT_EQ(QRect(widget->mapTo(form.get(), QPoint(0, 0)), widget->size()), rect) << name;
  }
}

// 宋体 at 9 pt for the captions the layout was drawn with, the dialog font elsewhere; every
// caption fits the room its control gives it.
TEST_F(WindowTest, CaptionsUseTheirFontsAndFitTheirControls) {
  const std::set<QString> song = {"Frame1",      "Frame2",       "Frame5",
                                  "Check_small", "Check_large",  "cmdCalculate",
                                  "cmd3D",       "Label_prompt", "cmdStop"};
  int captions = 0;
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    const QFontMetrics metrics(widget->font());
    QString text;
    int needed = 0;
    QSize room;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      text = label->text();
      room = label->contentsRect().size();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      text = button->text();
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = text;
      const auto element = qobject_cast<QCheckBox*>(button) ? QStyle::SE_CheckBoxContents
                                                            : QStyle::SE_PushButtonContents;
      room = button->style()->subElementRect(element, &option, button).size();
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
      text = frame->title();
      needed = frame->minimumSizeHint().width() - metrics.horizontalAdvance(text);
      room = frame->size();
    } else {
      continue;
    }
    const QString name = widget->objectName();
    if (name.isEmpty()) continue;  // parts of compound widgets
    ++captions;
    const bool is_song = song.count(name) || (name.startsWith("Label") && name != "Label18");
    const QFontInfo info(widget->font());
    EXPECT_EQ(info.pointSize(), 9) << name.toStdString();
    EXPECT_EQ(info.family() == kSongSubstitute, is_song) << name.toStdString();
    EXPECT_LE(needed + metrics.horizontalAdvance(text), room.width()) << text.toStdString();
    EXPECT_LE(metrics.height(), room.height()) << text.toStdString();
  }
  EXPECT_EQ(captions, 27);
}

TEST_F(WindowTest, TabRunsThroughInputsAndOptionsSkippingTheResults) {
  for (std::size_t step = 1; step <= std::size(kTabOrder); ++step) {  // once round
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(HasFocus(Find(kTabOrder[step % std::size(kTabOrder)]))) << "Tab " << step;
  }
}

TEST_F(WindowTest, ResultFieldsRefuseFocusAndTypingButTakeACommandsText) {
  for (const ResultFieldFormat& format : kResultFields) {
    auto* field = Find<QLineEdit>(std::string(format.name).c_str());
    QTest::mouseClick(field, Qt::LeftButton);
    field->setFocus();
    QTest::keyClicks(field, "123");
    EXPECT_TRUE(HasFocus(Find("Text_a_true"))) << format.name;
    EXPECT_EQ(field->text(), "") << format.name;
  }
  form->SetResultText(ResultField::x2, "0.013");
  EXPECT_EQ(Find<QLineEdit>("Text_x2")->text(), "0.013");
}

// No default button: Enter and Esc in any control change nothing and run no command.
TEST_F(WindowTest, EnterAndEscDoNothing) {
  ModalWatcher messages;
  const QStringList before = Snapshot();
  for (const char* name : kTabOrder) {
    Find(name)->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
      QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(Snapshot(), before) << name;
  }
  EXPECT_TRUE(messages.seen.empty());
}

TEST_F(WindowTest, FinenessTakesAnyTypedTextWithoutGrowingTheList) {
  auto* fine = Find<QComboBox>("Combo_fine");
  for (const char* typed : {"10", "abc", "1.5"}) {
    fine->lineEdit()->selectAll();
    QTest::keyClicks(fine->lineEdit(), typed);
    QTest::keyClick(fine->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(form->FinenessText(), typed);
    EXPECT_EQ(fine->count(), 5);
  }
}

// White grounds for the fields as painted: Fusion greys a disabled field's ground unless told.
TEST_F(WindowTest, PaintsWhiteFieldsEvenWhenDisabled) {
  const QImage window = form->grab().toImage();
  for (const char* name : {"Text_a_true", "Text_d1", "Text_x2", "Combo_fine"}) {
    const QRect field = Find(name)->geometry();
    EXPECT_EQ(window.pixelColor(field.center().x() + 12, field.center().y()), Qt::white) << name;
  }
}

}  // namespace
}  // namespace kelvo::test
