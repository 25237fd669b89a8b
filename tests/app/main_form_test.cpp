#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
  const std::pair<const char*, const char*> fields[] = {
      {"Text_a_true", "60"}, {"Text_m", "2"},    {"Text_z1", "20"}, {"Text_z2", "40"},
      {"Text_b", "20"},      {"Text_beta", "0"}, {"Text_x1", "0"},  {"Text_d1", ""},
      {"Text_d2", ""},       {"Text_da1", ""},   {"Text_da2", ""},  {"Text_h", ""},
      {"Text_x_sum", ""},    {"Text_x2", ""}};
  for (const auto& [name, text] : fields) {
    EXPECT_EQ(Find<QLineEdit>(name)->text(), QString::fromLatin1(text)) << name;
    EXPECT_EQ(Find<QLineEdit>(name)->isEnabled(), *text != '\0') << name;
  }
  const auto* fine = Find<QComboBox>("Combo_fine");
  EXPECT_TRUE(fine->isEditable());
  EXPECT_EQ(fine->currentText(), "4");
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
}

TEST_F(WindowTest, HasAFixedClientAreaWithoutMinimiseOrMaximise) {
  EXPECT_EQ(form->size(), QSize(529, 373));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_FALSE(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

TEST_F(WindowTest, CarriesA32PixelSixteenColourGearIcon) {
  const QImage icon = form->windowIcon().pixmap(32, 32).toImage();
  ASSERT_EQ(icon.size(), QSize(32, 32));
  std::set<QRgb> colours;
  int opaque = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const QRgb pixel = icon.pixel(x, y);
      colours.insert(qAlpha(pixel) == 0 ? 0 : pixel);
      opaque += qAlpha(pixel) == 255;
    }
  EXPECT_LE(colours.size(), 16u);
  EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 0) << "the gear's bore";
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_GT(opaque, 400) << "a gear, not a speck";
}

// Where each control lands in the client area, in pixels: the twips of the layout divided by 15,
// frame-relative positions added to their frame's corner.
TEST_F(WindowTest, PlacesEveryControlAsTheLayoutDrawsIt) {
  const std::pair<const char*, QRect> places[] = {
      {"Frame3", {12, 16, 185, 245}},       {"Label1", {56, 40, 49, 17}},
      {"Label2", {64, 72, 41, 17}},         {"Label3", {40, 103, 65, 17}},
      {"Label4", {40, 136, 65, 17}},        {"Label5", {48, 168, 57, 17}},
      {"Label6", {56, 199, 49, 17}},        {"Label7", {16, 232, 89, 17}},
      {"Text_a_true", {112, 36, 73, 21}},   {"Text_m", {112, 68, 73, 21}},
      {"Text_z1", {112, 100, 73, 21}},      {"Text_z2", {112, 132, 73, 21}},
      {"Text_b", {112, 164, 73, 21}},       {"Text_beta", {112, 196, 73, 21}},
      {"Text_x1", {112, 228, 73, 21}},      {"Frame4", {208, 16, 185, 245}},
      {"Label8", {212, 40, 89, 17}},        {"Label9", {212, 73, 89, 17}},
      {"Label10", {212, 103, 89, 17}},      {"Label11", {212, 136, 89, 17}},
      {"Label12", {212, 168, 89, 17}},      {"Label13", {212, 200, 89, 17}},
      {"Label14", {212, 232, 89, 17}},      {"Text_d1", {308, 36, 73, 21}},
      {"Text_d2", {308, 68, 73, 21}},       {"Text_da1", {308, 100, 73, 21}},
      {"Text_da2", {308, 132, 73, 21}},     {"Text_h", {308, 164, 73, 21}},
      {"Text_x_sum", {308, 196, 73, 21}},   {"Text_x2", {308, 228, 73, 21}},
      {"Frame1", {408, 16, 113, 57}},       {"Combo_fine", {424, 40, 81, 20}},
      {"Frame2", {408, 80, 113, 65}},       {"Check_small", {432, 92, 73, 25}},
      {"Check_large", {432, 116, 73, 25}},  {"Frame5", {408, 152, 113, 49}},
      {"Check_shade", {432, 172, 69, 21}},  {"cmdCalculate", {420, 216, 89, 29}},
      {"cmd3D", {420, 252, 89, 29}},        {"Label18", {8, 272, 193, 17}},
      {"Label_prompt", {216, 272, 181, 17}}};
  for (const auto& [name, rect] : places) {
    const QWidget* widget = Find(name);
    EXPECT_EQ(QRect(widget->mapTo(form.get(), QPoint(0, 0)), widget->size()), rect) << name;
  }
}

// 宋体 at 9 pt for the captions it was drawn with, the dialog font elsewhere; every caption
// must fit its control at that size.
TEST_F(WindowTest, CaptionsUseTheirFontsAndFitTheirControls) {
  const std::set<QString> song = {
      "Frame1",      "Frame2",       "Frame5",  "Label1",      "Label2",  "Label3",
      "Label4",      "Label5",       "Label6",  "Label7",      "Label8",  "Label9",
      "Label10",     "Label11",      "Label12", "Label13",     "Label14", "Check_small",
      "Check_large", "cmdCalculate", "cmd3D",   "Label_prompt"};
  int captions = 0;
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    const QFontMetrics metrics(widget->font());
    QString text;
    QSize needed, room;  // the caption's extent and the space the control gives it
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      text = label->text();
      needed = {metrics.horizontalAdvance(text), metrics.height()};
      room = label->contentsRect().size();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      text = button->text();
      needed = {metrics.horizontalAdvance(text), metrics.height()};
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = text;
      room = button->style()
                 ->subElementRect(qobject_cast<QCheckBox*>(button) ? QStyle::SE_CheckBoxContents
                                                                   : QStyle::SE_PushButtonContents,
                                  &option, button)
                 .size();
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
      text = frame->title();
      needed = {frame->minimumSizeHint().width(), 0};
      room = frame->size();
    } else {
      continue;
    }
    const std::string name = widget->objectName().toStdString();
    if (name.empty()) continue;  // parts of compound widgets
    ++captions;
    const QFontInfo info(widget->font());
    EXPECT_EQ(info.pointSize(), 9) << name;
    EXPECT_EQ(info.family() == kSongSubstitute, song.count(widget->objectName()) == 1)
        << name << " shows in " << info.family().toStdString();
    EXPECT_LE(needed.width(), room.width()) << name << " " << text.toStdString();
    EXPECT_LE(needed.height(), room.height()) << name << " " << text.toStdString();
  }
  EXPECT_EQ(captions, 26);
}

TEST_F(WindowTest, TabRunsThroughInputsAndOptionsSkippingTheResults) {
  const int n = static_cast<int>(std::size(kTabOrder));
  for (int step = 1; step <= n; ++step) {  // once round, back to the start
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(HasFocus(Find(kTabOrder[step % n]))) << "Tab " << step;
  }
  for (int step = 1; step <= n; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_TRUE(HasFocus(Find(kTabOrder[(n - step) % n]))) << "Shift+Tab " << step;
  }
}

TEST_F(WindowTest, ResultFieldsRefuseFocusAndTypingButTakeACommandsText) {
  for (const ResultFieldSpec& spec : kResultFields) {
    auto* field = Find<QLineEdit>(std::string(spec.name).c_str());
    QTest::mouseClick(field, Qt::LeftButton);
    field->setFocus();
    QTest::keyClicks(field, "123");
    EXPECT_TRUE(HasFocus(Find("Text_a_true"))) << spec.name;
    EXPECT_EQ(field->text(), "") << spec.name;
  }
  form->SetResultText(ResultField::x2, "0.013");
  EXPECT_EQ(Find<QLineEdit>("Text_x2")->text(), "0.013");
  EXPECT_EQ(form->ResultText(ResultField::x2), "0.013");
}

// No default button: Enter and Esc in any control change nothing and run no command.
TEST_F(WindowTest, EnterAndEscDoNothing) {
  ModalWatcher messages;
  const QStringList before = Snapshot();
  for (const char* name : kTabOrder) {
    QWidget* widget = Find(name);
    widget->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
      QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(Snapshot(), before) << name;
  }
  QTest::qWait(20);
  EXPECT_TRUE(messages.seen.empty());
}

TEST_F(WindowTest, OptionsReadAsTheUserLeftThem) {
  auto* fine = Find<QComboBox>("Combo_fine");
  for (const char* typed : {"10", "abc", "1.5"}) {
    fine->setFocus();
    fine->lineEdit()->selectAll();
    QTest::keyClicks(fine->lineEdit(), typed);
    QTest::keyClick(fine->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(form->FinenessText(), typed);
    EXPECT_EQ(fine->count(), 5) << "typed text is not added to the list";
  }
  fine->setCurrentIndex(0);
  EXPECT_EQ(form->FinenessText(), "2");

  QTest::mouseClick(Find("Check_small"), Qt::LeftButton);
  Find("Check_large")->setFocus();
  QTest::keyClick(Find("Check_large"), Qt::Key_Space);
  EXPECT_EQ(form->CheckValue(CheckOption::small_gear), 0);
  EXPECT_EQ(form->CheckValue(CheckOption::large_gear), 1);

  form->SetStatusText("正在生成三维模型，请稍候......");
  EXPECT_EQ(Find<QLabel>("Label_prompt")->text(), QStringLiteral("正在生成三维模型，请稍候......"));
}

TEST_F(WindowTest, GenerateButtonIsThereButDoesNothingYet) {
  ModalWatcher messages;
  const QStringList before = Snapshot();
  QTest::mouseClick(Find("cmd3D"), Qt::LeftButton);
  QTest::qWait(20);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(messages.seen.empty());
}

// White grounds for the fields, disabled ones included, and green for the two bottom lines,
// as drawn on screen.
TEST_F(WindowTest, PaintsWhiteFieldsAndGreenBottomLines) {
  const QImage window = form->grab().toImage();
  for (const char* name : {"Text_a_true", "Text_x1", "Text_d1", "Text_x2", "Combo_fine"}) {
    const QWidget* field = Find(name);
    const QPoint inside = field->geometry().center() + QPoint(field->width() / 2 - 24, 0);
    EXPECT_EQ(window.pixelColor(inside), QColor(Qt::white)) << name;
  }
  form->SetStatusText("正在生成三维模型");
  const QImage repainted = form->grab().toImage();
  for (const char* name : {"Label18", "Label_prompt"}) {
    const QRect area = Find(name)->geometry();
    int green = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) {
        const QColor c = repainted.pixelColor(x, y);
        green += c.green() > c.red() + 60 && c.green() > c.blue() + 60;
      }
    EXPECT_GT(green, 20) << name;
  }
}

}  // namespace
}  // namespace kelvo::test
