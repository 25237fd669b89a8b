#include "app/main_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <cmath>
#include <limits>

#include "app/commands/calculate_command.h"
#include "app/commands/generate_command.h"
#include "app/commands/report_command.h"
#include "app/enter_clicks_button.h"
#include "app/help_window.h"
#include "app/input_blocker.h"
#include "app/report_window.h"
#include "app/user_guide_location.h"
#include "app/window_fonts.h"

namespace kelvo {
namespace {

// Positions and sizes as the layout was drawn: twips, 15 to a pixel at 96 dpi.
struct Twips {
  int left, top, width, height;
};

int ToPixels(int twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

QRect ToRect(Twips t) {
  return {ToPixels(t.left), ToPixels(t.top), ToPixels(t.width), ToPixels(t.height)};
}

constexpr int kClientWidthTwips = 7935;
constexpr int kClientHeightTwips = 5595;

// Text boxes share one width and column; each label sits right-aligned to the left of its
// field inside the group frame (frame-relative positions).
constexpr int kInputLeft = 1680;
constexpr int kResultLeft = 4620;
constexpr int kFieldWidth = 1095;

struct InputRow {
  const char* initial_text;
  int field_top, field_height;
  const char* label_name;
  const char* caption;
  Twips label;  // in Frame3
};

constexpr std::array<InputRow, 7> kInputRows = {{
    {"60", 540, 315, "Label1", "中心距", {660, 360, 735, 255}},
    {"2", 1020, 320, "Label2", "模数", {780, 840, 615, 255}},
    {"20", 1500, 320, "Label3", "小齿轮齿数", {420, 1305, 975, 255}},
    {"40", 1980, 320, "Label4", "大齿轮齿数", {420, 1800, 975, 255}},
    {"20", 2460, 320, "Label5", "齿轮宽度", {540, 2280, 855, 255}},
    {"0", 2940, 320, "Label6", "螺旋角", {660, 2745, 735, 255}},
    {"0", 3420, 320, "Label7", "小齿轮变位系数", {60, 3240, 1335, 255}},
}};

struct ResultRow {
  int field_top;
  const char* label_name;
  const char* caption;
  int label_top;  // in Frame4, at Left 60, 1335 x 255
};

constexpr std::array<ResultRow, 7> kResultRows = {{
    {540, "Label8", "小齿轮分度圆", 360},
    {1020, "Label9", "大齿轮分度圆", 855},
    {1500, "Label10", "小齿轮齿顶圆", 1305},
    {1980, "Label11", "大齿轮齿顶圆", 1800},
    {2460, "Label12", "齿高", 2280},
    {2940, "Label13", "变位系数之和", 2760},
    {3420, "Label14", "大齿轮变位系数", 3240},
}};

// The system colour for title-bar text, white in the standard scheme, is the fields' ground;
// disabled result fields keep it too and only grey their text.
void SetWhiteGround(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, Qt::white);
  widget->setPalette(palette);
}

void SetGreenText(QLabel* label) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 128, 0));
  label->setPalette(palette);
}

template <typename Widget>
Widget* Place(Widget* widget, const char* name, Twips where) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(ToRect(where));
  return widget;
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const char* caption, Twips where) {
  return Place(new QGroupBox(QString::fromUtf8(caption), parent), name, where);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, Twips where,
                  Qt::Alignment alignment) {
  QLabel* label = Place(new QLabel(QString::fromUtf8(caption), parent), name, where);
  label->setAlignment(alignment | Qt::AlignTop);
  return label;
}

QLineEdit* MakeField(QWidget* parent, std::string_view name, const char* text, Twips where) {
  auto* field = new QLineEdit(QString::fromUtf8(text), parent);
  field->setObjectName(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
  field->setGeometry(ToRect(where));
  // Whatever the user types is kept as typed; checking it belongs to the commands.
  field->setMaxLength(std::numeric_limits<int>::max());
  SetWhiteGround(field);
  return field;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* caption, bool ticked,
                     Twips where) {
  QCheckBox* check = Place(new QCheckBox(QString::fromUtf8(caption), parent), name, where);
  check->setChecked(ticked);
  return check;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, Twips where) {
  QPushButton* button = Place(new QPushButton(QString::fromUtf8(caption), parent), name, where);
  // No default button: Enter must not run a command from a text field.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}

std::string ToStdString(const QString& text) {
  return text.toStdString();
}

// The caption as the bar's format, shown as it is: the bar would put its figures in for %p, %v
// and %m (and has no escape for a percent sign), so a zero-width space parts those pairs.
QString AsBarFormat(QString caption) {
  static const QRegularExpression kPlaceholder(QStringLiteral("%(?=[pvm])"));
  return caption.replace(kPlaceholder, QStringLiteral("%\u200B"));
}

}  // namespace

MainForm::MainForm(const QString& help_path, QWidget* parent)
    : QWidget(parent, Qt::Window), help_path_(help_path) {
  setObjectName(QStringLiteral("mainForm"));
  setWindowTitle(QStringLiteral("齿轮滚齿仿真分析及三维造型 (For Autocad2000)"));
  setWindowIcon(QIcon(QStringLiteral(":/kelvo/kelvo_icon.xpm")));
  // A fixed dialog-like frame: no minimise or maximise box, no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(ToPixels(kClientWidthTwips), ToPixels(kClientHeightTwips));
  setFont(DialogFont());
  // The captions of the group frames sit on the frame's top line, as the layout was drawn;
  // Fusion would put them above a frame that starts a line lower and crowd the check boxes.
  setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));

  CreateControls();
  SetTabOrder();
  inputs_[0]->setFocus(Qt::OtherFocusReason);

  MakeEnterClickFocusedButtons(*this);
  blocker_ = new InputBlocker(this);
  blocker_->LetThrough(cmd_stop_);
  connect(cmd_stop_, &QPushButton::clicked, this, [this] {
    stop_requested_ = true;
    // Taken: the build ends after the CAD operation that is running.
    cmd_stop_->setEnabled(false);
  });
  connect(cmd_calculate_, &QPushButton::clicked, this,
          [this] { mainForm_cmdCalculate_Click(*this); });
  connect(cmd_3d_, &QPushButton::clicked, this, [this] { mainForm_cmd3D_Click(*this); });
  connect(cmd_report_, &QPushButton::clicked, this, [this] { mainForm_cmdReport_Click(*this); });
  auto* help_key = new QShortcut(QKeySequence(Qt::Key_F1), this);
  help_key->setContext(Qt::WindowShortcut);
  connect(help_key, &QShortcut::activated, this, &MainForm::ShowHelp);
}

MainForm::~MainForm() = default;

QString MainForm::DefaultHelpPath() {
  return UserGuidePath(QCoreApplication::applicationDirPath());
}

void MainForm::CreateControls() {
  const QFont song = SongFont();

  // Input group. The frame's labels are frame-relative; the fields sit in window coordinates
  // over the frame.
  QGroupBox* frame3 = MakeFrame(this, "Frame3", "输入参数", {180, 240, 2775, 3675});
  for (std::size_t i = 0; i < kInputRows.size(); ++i) {
    const InputRow& row = kInputRows[i];
    MakeLabel(frame3, row.label_name, row.caption, row.label, Qt::AlignRight)->setFont(song);
    inputs_[i] = MakeField(this, kInputFieldNames[i], row.initial_text,
                           {kInputLeft, row.field_top, kFieldWidth, row.field_height});
  }

  // Result group: disabled fields take no focus and no typing, yet the commands write them.
  QGroupBox* frame4 = MakeFrame(this, "Frame4", "计算结果", {3120, 240, 2775, 3675});
  for (std::size_t i = 0; i < kResultRows.size(); ++i) {
    const ResultRow& row = kResultRows[i];
    MakeLabel(frame4, row.label_name, row.caption, {60, row.label_top, 1335, 255}, Qt::AlignRight)
        ->setFont(song);
    results_[i] =
        MakeField(this, kResultFields[i].name, "", {kResultLeft, row.field_top, kFieldWidth, 315});
    results_[i]->setEnabled(false);
  }

  // Model options and commands.
  MakeFrame(this, "Frame1", "模型精细度", {6120, 240, 1695, 855})->setFont(song);
  fine_ = Place(new QComboBox(this), "Combo_fine", {6360, 600, 1215, 300});
  fine_->setEditable(true);
  // Typed text is an option value, not a new list item; Enter must not grow the list.
  fine_->setInsertPolicy(QComboBox::NoInsert);
  fine_->addItems({QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                   QStringLiteral("5"), QStringLiteral("6")});
  fine_->setCurrentText(QStringLiteral("4"));
  SetWhiteGround(fine_);
  SetWhiteGround(fine_->lineEdit());

  MakeFrame(this, "Frame2", "生成以下模型", {6120, 1200, 1695, 975})->setFont(song);
  checks_[0] = MakeCheck(this, "Check_small", "小齿轮", true, {6480, 1380, 1095, 375});
  checks_[1] = MakeCheck(this, "Check_large", "大齿轮", false, {6480, 1740, 1095, 375});
  checks_[0]->setFont(song);
  checks_[1]->setFont(song);
  MakeFrame(this, "Frame5", "模型显示", {6120, 2280, 1695, 735})->setFont(song);
  checks_[2] = MakeCheck(this, "Check_shade", "着色显示", true, {6480, 2580, 1035, 315});

  cmd_calculate_ = MakeButton(this, "cmdCalculate", "参数计算", {6300, 3240, 1335, 435});
  cmd_3d_ = MakeButton(this, "cmd3D", "生成三维模型", {6300, 3780, 1335, 435});
  cmd_report_ = MakeButton(this, "cmdReport", "计算书", {6300, 4320, 1335, 435});
  cmd_calculate_->setFont(song);
  cmd_3d_->setFont(song);
  cmd_report_->setFont(song);

  // Bottom lines: the fixed help hint and the status line.
  SetGreenText(
      MakeLabel(this, "Label18", "按F1健打开帮助文件", {120, 4080, 2895, 255}, Qt::AlignLeft));
  prompt_ = MakeLabel(this, "Label_prompt", "", {3240, 4080, 2715, 255}, Qt::AlignLeft);
  prompt_->setFont(song);
  SetGreenText(prompt_);

  // Under the status line, as wide as it: how far the cut of the gear being built has come.
  progress_ = Place(new QProgressBar(this), "ProgressBar1", {3240, 4380, 2715, 240});
  progress_->setTextVisible(true);
  progress_->setAlignment(Qt::AlignCenter);
  progress_->hide();
  // On the bar's line, just before the bar, the report button having the place under the
  // generate button: a mistyped number of teeth can turn seconds into many minutes. The one
  // control live while a gear is built; it takes no focus, so the keyboard never reaches it.
  cmd_stop_ = MakeButton(this, "cmdStop", "停止", {2325, 4335, 855, 330});
  cmd_stop_->setFont(song);
  cmd_stop_->setFocusPolicy(Qt::NoFocus);
  cmd_stop_->hide();
}

void MainForm::SetTabOrder() {
  QWidget* const order[] = {inputs_[0],     inputs_[1], inputs_[2], inputs_[3], inputs_[4],
                            inputs_[5],     inputs_[6], fine_,      checks_[0], checks_[1],
                            cmd_calculate_, cmd_3d_,    checks_[2], cmd_report_};
  for (std::size_t i = 1; i < std::size(order); ++i)
    setTabOrder(order[i - 1], order[i]);
}

std::string MainForm::InputText(InputField field) const {
  return ToStdString(inputs_[static_cast<std::size_t>(field)]->text());
}

std::string MainForm::ResultText(ResultField field) const {
  return ToStdString(results_[static_cast<std::size_t>(field)]->text());
}

void MainForm::SetResultText(ResultField field, const std::string& text) {
  results_[static_cast<std::size_t>(field)]->setText(ToQString(text));
}

std::string MainForm::FinenessText() const {
  return ToStdString(fine_->currentText());
}

int MainForm::CheckValue(CheckOption option) const {
  return checks_[static_cast<std::size_t>(option)]->isChecked() ? 1 : 0;
}

std::string MainForm::StatusText() const {
  return ToStdString(prompt_->text());
}

void MainForm::SetStatusText(const std::string& text) {
  prompt_->setText(ToQString(text));
}

void MainForm::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, ToQString(std::string(kMessageTitle)), ToQString(text),
                  QMessageBox::Ok, this);
  // A box that waits for the user must not wear the busy cursor of the command behind it.
  const bool busy = blocker_->IsBlocking();
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
}

void MainForm::BeginLongCommand() {
  if (blocker_->IsBlocking()) return;
  ClearStopRequest();
  blocker_->Begin();
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void MainForm::EndLongCommand() {
  if (!blocker_->IsBlocking()) return;
  // A press on the way to the button now is dropped with the rest of the queued input.
  cmd_stop_->hide();
  blocker_->End();
  QApplication::restoreOverrideCursor();
  ClearStopRequest();
}

void MainForm::KeepPainted() {
  // Outside a long command nothing would drop the input, so it waits for its turn.
  QCoreApplication::processEvents(blocker_->IsBlocking() ? QEventLoop::AllEvents
                                                         : QEventLoop::ExcludeUserInputEvents);
}

void MainForm::ShowProgress(const std::string& caption, int done, int total) {
  progress_->setRange(0, total);
  progress_->setValue(done);
  progress_->setFormat(AsBarFormat(ToQString(caption)));
  progress_->show();
  cmd_stop_->show();
}

void MainForm::HideProgress() {
  progress_->hide();
  cmd_stop_->hide();
}

bool MainForm::StopRequested() const {
  return stop_requested_;
}

void MainForm::ClearStopRequest() {
  stop_requested_ = false;
  cmd_stop_->setEnabled(true);
}

void MainForm::ShowReport() {
  if (!report_) report_ = new ReportWindow(this);
  report_->Follow(session_);
  report_->show();
  report_->raise();
  report_->activateWindow();
}

ReportWindow* MainForm::reportWindow() const {
  return report_;
}

void MainForm::SessionChanged() {
  if (report_ && report_->isVisible()) report_->Follow(session_);
}

void MainForm::ShowHelp() {
  if (!help_) help_ = new HelpWindow(help_path_, this);
  help_->ShowStart();
}

}  // namespace kelvo
