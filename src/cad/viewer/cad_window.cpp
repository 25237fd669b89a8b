#include "cad/viewer/cad_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "cad/occt/occt_application.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_export.h"
#include "cad/occt/occt_export_failure.h"
#include "cad/occt/occt_log_texts.h"
#include "cad/occt/occt_mesh_drawing.h"
#include "cad/occt/occt_observer.h"
#include "cad/viewer/drawing_view.h"
#include "cad/viewer/export_with_progress.h"

namespace kelvo::cad {
namespace {

const QString kTitle = QStringLiteral("Kelvo");
const QString kWindowTitle = QStringLiteral("Kelvo 三维模型");
const QString kEmptyHint = QStringLiteral("尚无图形：在主窗口中点击\"生成三维模型\"");
// Between the 3D window and the window it opens beside.
constexpr int kBesideGap = 8;
// Narrower than this, the 3D window is no use beside another: it opens where it would anyway.
constexpr int kLeastUsefulWidth = 480;
// The rolling slider's steps over one pitch of the small gear.
constexpr int kRollingSteps = 240;

// The export formats, first extension first: what the dialog offers and what a file name
// typed without an extension gets.
const QStringList kExportFilters = {
    QStringLiteral("STEP (*.step *.stp)"),
    QStringLiteral("IGES (*.iges *.igs)"),
    QStringLiteral("STL (*.stl)"),
    QStringLiteral("BREP (*.brep)"),
};

QString FirstExtensionOf(const QString& filter) {
  const qsizetype star = filter.indexOf(QStringLiteral("*."));
  const qsizetype end = filter.indexOf(QRegularExpression(QStringLiteral("[ )]")), star);
  return star < 0 ? QString() : filter.mid(star + 1, end - star - 1);
}

// A modal box titled Kelvo with no icon, as every message of the program; returns the index
// of the button pressed, or the escape button's when the box is closed otherwise.
std::size_t Ask(QWidget* parent, const QString& text,
                const std::vector<std::pair<QString, QMessageBox::ButtonRole>>& buttons,
                std::size_t cancel) {
  QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::NoButton, parent);
  std::vector<QPushButton*> added;
  for (const auto& [label, role] : buttons)
    added.push_back(box.addButton(label, role));
  box.setDefaultButton(added.at(cancel));
  box.setEscapeButton(added.at(cancel));
  box.exec();
  for (std::size_t index = 0; index < added.size(); ++index) {
    if (box.clickedButton() == added[index]) return index;
  }
  return cancel;
}

// The message of a failed export; the CAD layer's own reason is technical detail, for standard
// error under KELVO_LOG=1.
QString ExportFailure(const OcctDocument* document, const std::filesystem::path& path,
                      const std::string& technical) {
  LogTechnicalDetail(technical);
  return QString::fromStdString(ExportFailureText(document, path));
}

}  // namespace

// Hands what the application reports to the window. The application holds it weakly, so it
// stops hearing when the window goes.
class CadWindow::Follower final : public OcctObserver {
 public:
  explicit Follower(CadWindow& window) : window_(window) {}

  void OnVisibilityChanged(bool visible) override { window_.ShowApplication(visible); }
  void OnDocumentAdded(int document, const std::string& name) override {
    window_.AddSheet(document, QString::fromStdString(name));
  }
  void OnDocumentClosed(int document) override { window_.RemoveSheet(document); }
  void OnEntityAdded(int document, const ObservedEntity& entity) override {
    window_.ChangeEntity(document, entity);
  }
  void OnEntityChanged(int document, const ObservedEntity& entity) override {
    window_.ChangeEntity(document, entity);
  }
  void OnEntityRemoved(int document, EntityId id) override { window_.RemoveEntity(document, id); }
  void OnViewportAssigned(int document, const ViewState& view) override {
    window_.AssignView(document, view);
  }
  void OnZoomExtents(int document) override { window_.ZoomExtents(document); }
  void OnShadeMode(int document, ShadeMode mode) override { window_.SetShadeMode(document, mode); }
  void OnCommandLine(int document, const std::string& line) override {
    window_.AddLogLine(document, QString::fromStdString(line));
  }
  void OnShortfall(int document, const DrawingShortfalls& shortfalls) override {
    window_.ShowShortfalls(document, shortfalls);
  }
  void OnDescribed(int document, const DrawingDescription& description) override {
    window_.Describe(document, description);
  }

 private:
  CadWindow& window_;
};

CadWindow::CadWindow(OcctCadApplication& application, std::function<void()> on_closed,
                     QWidget* parent)
    : QMainWindow(parent),
      application_(application),
      on_closed_(std::move(on_closed)),
      follower_(std::make_shared<Follower>(*this)) {
  setWindowTitle(kWindowTitle);
  resize(960, 720);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  tabs_ = new QTabWidget(central);
  tabs_->setObjectName(QStringLiteral("drawingTabs"));
  tabs_->setTabsClosable(true);
  tabs_->setDocumentMode(true);
  layout->addWidget(tabs_, 1);
  // In place of the tabs while there is no drawing, on the views' own ground.
  empty_hint_ = new QLabel(kEmptyHint, central);
  empty_hint_->setObjectName(QStringLiteral("emptyHint"));
  empty_hint_->setAlignment(Qt::AlignCenter);
  empty_hint_->setAutoFillBackground(true);
  QPalette ground = empty_hint_->palette();
  ground.setColor(QPalette::Window, QColor(33, 40, 48));
  ground.setColor(QPalette::WindowText, QColor(200, 205, 212));
  empty_hint_->setPalette(ground);
  QFont larger = empty_hint_->font();
  larger.setPointSizeF(larger.pointSizeF() * 1.4);
  empty_hint_->setFont(larger);
  layout->addWidget(empty_hint_, 1);

  // Rolling a mesh drawing's pair through one pitch of the small gear.
  rolling_ = new QWidget(central);
  auto* rolling_layout = new QHBoxLayout(rolling_);
  rolling_layout->setContentsMargins(6, 0, 6, 0);
  rolling_layout->addWidget(new QLabel(QStringLiteral("滚动啮合："), rolling_));
  rolling_slider_ = new QSlider(Qt::Horizontal, rolling_);
  rolling_slider_->setObjectName(QStringLiteral("rollingSlider"));
  rolling_slider_->setRange(0, kRollingSteps);
  rolling_layout->addWidget(rolling_slider_, 1);
  rolling_label_ = new QLabel(rolling_);
  rolling_label_->setMinimumWidth(
      rolling_label_->fontMetrics().horizontalAdvance(QStringLiteral("小齿轮转角 00.00°")));
  rolling_layout->addWidget(rolling_label_);
  layout->addWidget(rolling_);
  rolling_->hide();
  connect(rolling_slider_, &QSlider::valueChanged, this, &CadWindow::RollCurrent);

  log_ = new QPlainTextEdit(central);
  log_->setObjectName(QStringLiteral("commandLog"));
  log_->setReadOnly(true);
  log_->setMaximumBlockCount(1000);
  log_->setFocusPolicy(Qt::NoFocus);
  log_->setFixedHeight(log_->fontMetrics().lineSpacing() * 4 + 10);
  layout->addWidget(log_);

  command_line_ = new QLineEdit(central);
  command_line_->setObjectName(QStringLiteral("commandLine"));
  command_line_->setPlaceholderText(QStringLiteral("命令："));
  layout->addWidget(command_line_);
  setCentralWidget(central);

  CreateMenus();
  connect(command_line_, &QLineEdit::returnPressed, this, &CadWindow::RunTypedCommand);
  connect(tabs_, &QTabWidget::currentChanged, this, &CadWindow::CurrentChanged);
  connect(tabs_, &QTabWidget::tabCloseRequested, this,
          [this](int index) { CloseDrawing(sheets_.at(static_cast<std::size_t>(index)).number); });
  CurrentChanged();
}

CadWindow::~CadWindow() = default;

std::weak_ptr<OcctObserver> CadWindow::Observer() const {
  return follower_;
}

void CadWindow::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  QAction* export_action =
      file->addAction(QStringLiteral("导出(&E)..."), this, [this] { ExportCurrentDrawing(); });
  export_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  QAction* close_action = file->addAction(QStringLiteral("关闭图形(&C)"), this, [this] {
    if (const Sheet* sheet = CurrentSheet()) CloseDrawing(sheet->number);
  });
  close_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  file->addSeparator();
  file->addAction(QStringLiteral("关闭窗口(&X)"), this, &QWidget::close);

  // The view commands go through the drawing's command line, like typed ones, so that the
  // drawing records them and the log shows them.
  QMenu* view = menuBar()->addMenu(QStringLiteral("视图(&V)"));
  QAction* zoom = view->addAction(QStringLiteral("缩放到范围(&E)"), this,
                                  [this] { SendToCurrent(QStringLiteral("ZOOM E")); });
  QAction* shade = view->addAction(QStringLiteral("着色(&G)"), this,
                                   [this] { SendToCurrent(QStringLiteral("SHADEMODE G")); });
  QAction* wire = view->addAction(QStringLiteral("线框(&W)"), this,
                                  [this] { SendToCurrent(QStringLiteral("SHADEMODE 2D")); });
  view->addSeparator();
  // The pair in mesh goes through the command line too; it makes a new drawing.
  mesh_action_ = view->addAction(QStringLiteral("啮合装配(&M)"), this, [this] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SendToCurrent(QStringLiteral("MESH"));
    QApplication::restoreOverrideCursor();
  });
  connect(view, &QMenu::aboutToShow, this, [this] { mesh_action_->setEnabled(CanMesh()); });
  drawing_actions_ = {export_action, close_action, zoom, shade, wire};
}

bool CadWindow::CanMesh() const {
  try {
    return !exporting_ && FindMeshCandidates(application_).Ready();
  } catch (const CadError&) {
    return false;
  }
}

void CadWindow::UpdateRolling() {
  const Sheet* sheet = CurrentSheet();
  std::shared_ptr<OcctDocument> document = sheet ? DocumentOf(sheet->number) : nullptr;
  const bool mesh = document && sheet->view && document->Mesh();
  rolling_->setVisible(mesh);
  if (!mesh) return;
  const QSignalBlocker quiet(rolling_slider_);
  const double pitch = 2 * std::numbers::pi / std::max(document->Mesh()->z1, 1);
  const int value = static_cast<int>(std::lround(sheet->view->RolledBy() / pitch * kRollingSteps));
  rolling_slider_->setValue(value);
  rolling_label_->setText(QStringLiteral("小齿轮转角 %1°")
                              .arg(sheet->view->RolledBy() * 180 / std::numbers::pi, 0, 'f', 2));
}

void CadWindow::RollCurrent(int value) {
  Sheet* sheet = CurrentSheet();
  std::shared_ptr<OcctDocument> document = sheet ? DocumentOf(sheet->number) : nullptr;
  if (!document || !sheet->view) return;
  const std::optional<MeshMotion> motion = document->Mesh();
  if (!motion) return;
  const double pitch = 2 * std::numbers::pi / std::max(motion->z1, 1);
  sheet->view->Roll(*motion, pitch * value / kRollingSteps);
  rolling_label_->setText(
      QStringLiteral("小齿轮转角 %1°")
          .arg(pitch * value / kRollingSteps * 180 / std::numbers::pi, 0, 'f', 2));
}

CadWindow::Sheet* CadWindow::SheetOf(int number) {
  for (Sheet& sheet : sheets_) {
    if (sheet.number == number) return &sheet;
  }
  return nullptr;
}

const CadWindow::Sheet* CadWindow::SheetOf(int number) const {
  return const_cast<CadWindow*>(this)->SheetOf(number);
}

CadWindow::Sheet* CadWindow::CurrentSheet() {
  const int index = tabs_->currentIndex();
  return index < 0 ? nullptr : &sheets_.at(static_cast<std::size_t>(index));
}

std::shared_ptr<OcctDocument> CadWindow::DocumentOf(int number) const {
  for (std::shared_ptr<OcctDocument>& document : application_.Documents().Open()) {
    if (document->Number() == number) return document;
  }
  return nullptr;
}

DrawingView* CadWindow::ViewOf(int number) const {
  const Sheet* sheet = SheetOf(number);
  return sheet ? sheet->view : nullptr;
}

bool CadWindow::IsUnsaved(int number) const {
  const Sheet* sheet = SheetOf(number);
  return sheet && sheet->unsaved;
}

void CadWindow::CurrentChanged() {
  const Sheet* sheet = CurrentSheet();
  tabs_->setVisible(!sheets_.empty());
  empty_hint_->setVisible(sheets_.empty());
  setWindowTitle(sheet
                     ? kWindowTitle + QStringLiteral(" - [") + TitleOf(*sheet) + QStringLiteral("]")
                     : kWindowTitle);
  log_->setPlainText(sheet ? sheet->log.join(QLatin1Char('\n')) : QString());
  log_->moveCursor(QTextCursor::End);
  for (QAction* action : drawing_actions_)
    action->setEnabled(sheet != nullptr);
  UpdateRolling();
}

void CadWindow::RunTypedCommand() {
  const QString typed = command_line_->text().trimmed();
  command_line_->clear();
  if (!typed.isEmpty()) SendToCurrent(typed);
}

void CadWindow::SendToCurrent(const QString& command) {
  Sheet* sheet = CurrentSheet();
  std::shared_ptr<OcctDocument> document = sheet ? DocumentOf(sheet->number) : nullptr;
  if (!document) {
    log_->appendPlainText(QString::fromStdString(CommandEchoText(command.toStdString())));
    log_->appendPlainText(QString::fromStdString(NoDrawingText()));
    return;
  }
  try {
    // Enter ends the last entry, as the trailing blank does in a script.
    document->SendCommand(command.toStdString() + " ");
  } catch (const CadError& error) {
    // The drawing closed under the command: the log says so, the detail is for stderr.
    LogTechnicalDetail(error.what());
    AppendLog(sheet, QString::fromStdString(CommandEchoText(command.toStdString())));
    AppendLog(sheet, QString::fromStdString(NoDrawingText()));
  }
}

void CadWindow::AppendLog(Sheet* sheet, const QString& line) {
  sheet->log.append(line);
  if (sheet == CurrentSheet()) log_->appendPlainText(line);
}

bool CadWindow::ExportDrawing(int number, const std::filesystem::path& path) {
  Sheet* sheet = SheetOf(number);
  std::shared_ptr<OcctDocument> document = DocumentOf(number);
  if (!sheet || !document) return false;
  if (!ExportDespiteShortfalls(*sheet)) return false;
  const QString file = QFile::decodeName(path.c_str());
  const QString name = sheet->name;
  std::optional<PreparedExport> prepared;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    prepared.emplace(PrepareExport(*document, path));
  } catch (const CadError& error) {
    QApplication::restoreOverrideCursor();
    ShowError(ExportFailure(document.get(), path, error.what()));
    return false;
  }
  QApplication::restoreOverrideCursor();
  // The window keeps painting while the file is written; nothing may close it meanwhile.
  exporting_ = true;
  const ExportEnd end = WriteWithProgress(this, *prepared, name);
  exporting_ = false;
  switch (end.kind) {
    case ExportEnd::Cancelled:
      if ((sheet = SheetOf(number))) AppendLog(sheet, QStringLiteral("已取消导出 ") + file);
      return false;
    case ExportEnd::Failed:
      ShowError(ExportFailure(document.get(), path, end.error));
      return false;
    case ExportEnd::Written:
      break;
  }
  if ((sheet = SheetOf(number))) {
    sheet->unsaved = false;
    AppendLog(sheet, QStringLiteral("已导出 ") + file);
  }
  return true;
}

bool CadWindow::ExportDespiteShortfalls(const Sheet& sheet) {
  if (!sheet.shortfalls.Any()) return true;
  QStringList lacks;
  if (sheet.shortfalls.incomplete) lacks << QStringLiteral("不完整：有步骤失败，已被跳过");
  if (sheet.shortfalls.unfinished) lacks << QStringLiteral("未完成：生成被中途停止");
  const QString text = QStringLiteral(
                           "图形 %1 %2，其中的模型不是所要求的样子（详见命令行记录）。\n"
                           "仍要导出吗？")
                           .arg(sheet.name, lacks.join(QStringLiteral("；")));
  enum : std::size_t { kExport, kCancel };
  return Ask(this, text,
             {{QStringLiteral("仍然导出"), QMessageBox::AcceptRole},
              {QStringLiteral("取消"), QMessageBox::RejectRole}},
             kCancel) == kExport;
}

bool CadWindow::ExportCurrentDrawing() {
  const Sheet* sheet = CurrentSheet();
  return sheet && ExportWithDialog(sheet->number);
}

bool CadWindow::ExportWithDialog(int number) {
  const Sheet* sheet = SheetOf(number);
  if (!sheet) return false;
  QString filter = kExportFilters.front();
  // A name that says what the drawing holds, when its maker said: gear1_z20_m2.step.
  const QString stem = sheet->description.file_stem.empty()
                           ? sheet->name
                           : QString::fromStdString(sheet->description.file_stem);
  const QString suggested = QFileInfo(export_folder_, stem + QStringLiteral(".step")).filePath();
  // Qt's own dialog, in Chinese with the rest of the program whatever the desktop's language.
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出 ") + sheet->name,
                                              suggested, kExportFilters.join(QStringLiteral(";;")),
                                              &filter, QFileDialog::DontUseNativeDialog);
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().isEmpty()) path += FirstExtensionOf(filter);
  export_folder_ = QFileInfo(path).absolutePath();
  return ExportDrawing(number, std::filesystem::path(QFile::encodeName(path).toStdString()));
}

bool CadWindow::CloseDrawing(int number) {
  const Sheet* sheet = SheetOf(number);
  if (!sheet || exporting_) return false;
  if (sheet->unsaved) {
    const QString text =
        QStringLiteral("图形 %1 尚未导出，关闭后其中的模型将丢失。\n是否先导出？").arg(sheet->name);
    enum : std::size_t { kExport, kDiscard, kCancel };
    switch (Ask(this, text,
                {{QStringLiteral("导出..."), QMessageBox::AcceptRole},
                 {QStringLiteral("放弃"), QMessageBox::DestructiveRole},
                 {QStringLiteral("取消"), QMessageBox::RejectRole}},
                kCancel)) {
      case kExport:
        if (!ExportWithDialog(number)) return false;
        break;
      case kDiscard:
        break;
      default:
        return false;
    }
  }
  if (std::shared_ptr<OcctDocument> document = DocumentOf(number)) document->Close();
  return true;
}

void CadWindow::closeEvent(QCloseEvent* event) {
  if (exporting_) {
    event->ignore();
    return;
  }
  QStringList unsaved;
  for (const Sheet& sheet : sheets_) {
    if (sheet.unsaved) unsaved.append(sheet.name);
  }
  if (!unsaved.isEmpty()) {
    const QString text =
        QStringLiteral("以下图形尚未导出：%1。\n关闭三维窗口将放弃这些图形中的模型。")
            .arg(unsaved.join(QStringLiteral("、")));
    const std::size_t kDiscard = 0;
    if (Ask(this, text,
            {{QStringLiteral("放弃并关闭"), QMessageBox::DestructiveRole},
             {QStringLiteral("取消"), QMessageBox::RejectRole}},
            1) != kDiscard) {
      event->ignore();
      return;
    }
  }
  event->accept();
  // A copy: ending the instance schedules this window's deletion.
  if (const std::function<void()> closed = on_closed_) closed();
}

void CadWindow::ShowError(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, this);
  box.exec();
}

void CadWindow::ShowApplication(bool visible) {
  if (!visible) {
    hide();
    return;
  }
  if (!placed_) {
    PlaceBesideOtherWindows();
    placed_ = true;
  }
  show();
  raise();
  activateWindow();
}

void CadWindow::AddSheet(int number, const QString& name) {
  Sheet sheet;
  sheet.number = number;
  sheet.name = name;
  try {
    sheet.view = new DrawingView(tabs_);
    sheet.page = sheet.view;
  } catch (...) {
    // No X connection for OpenCASCADE: the drawing still exists and can be exported.
    sheet.page = new QLabel(QStringLiteral("无法显示三维视图。"), tabs_);
  }
  sheet.page->setObjectName(name);
  sheets_.push_back(sheet);
  tabs_->addTab(sheet.page, name);
  tabs_->setCurrentIndex(tabs_->count() - 1);
}

void CadWindow::RemoveSheet(int number) {
  for (std::size_t index = 0; index < sheets_.size(); ++index) {
    if (sheets_[index].number != number) continue;
    QWidget* page = sheets_[index].page;
    sheets_.erase(sheets_.begin() + static_cast<std::ptrdiff_t>(index));
    tabs_->removeTab(static_cast<int>(index));
    page->deleteLater();
    CurrentChanged();
    return;
  }
}

void CadWindow::ChangeEntity(int number, const ObservedEntity& entity) {
  Sheet* sheet = SheetOf(number);
  if (!sheet) return;
  sheet->unsaved = true;
  if (sheet->view) sheet->view->SetEntity(entity);
}

void CadWindow::RemoveEntity(int number, EntityId id) {
  Sheet* sheet = SheetOf(number);
  if (!sheet) return;
  sheet->unsaved = true;
  if (sheet->view) sheet->view->RemoveEntity(id);
}

void CadWindow::AssignView(int number, const ViewState& view) {
  if (DrawingView* drawing = ViewOf(number)) drawing->SetView(view);
}

void CadWindow::ZoomExtents(int number) {
  if (DrawingView* drawing = ViewOf(number)) drawing->ZoomExtents();
}

void CadWindow::SetShadeMode(int number, ShadeMode mode) {
  if (DrawingView* drawing = ViewOf(number)) drawing->SetShadeMode(mode);
}

void CadWindow::AddLogLine(int number, const QString& line) {
  Sheet* sheet = SheetOf(number);
  if (!sheet) return;
  AppendLog(sheet, line);
  // A mesh drawing says what it is once its gears are in: its first lines bring the slider.
  if (sheet == CurrentSheet() && !rolling_->isVisible()) UpdateRolling();
}

void CadWindow::PlaceBesideOtherWindows() {
  QRect others;
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget != this && widget->isVisible() && widget->windowType() == Qt::Window)
      others |= widget->frameGeometry();
  }
  if (others.isNull()) return;
  const QScreen* screen = QGuiApplication::screenAt(others.center());
  if (!screen) return;
  const QRect room = screen->availableGeometry();
  // The frame the window manager adds, as far as it is known before the first show.
  const QSize frame = frameGeometry().size() - geometry().size();
  const int right = room.right() - others.right() - kBesideGap;
  const int left = others.left() - room.left() - kBesideGap;
  const int space = std::max(right, left);
  if (space - frame.width() < kLeastUsefulWidth) return;  // no room: where it would open anyway
  const int width = std::min(size().width(), space - frame.width());
  const int height = std::min(size().height(), room.height() - frame.height());
  const int x = right >= left ? others.right() + 1 + kBesideGap
                              : others.left() - kBesideGap - width - frame.width();
  const int y = std::clamp(others.top(), room.top(), room.bottom() + 1 - height - frame.height());
  resize(width, height);
  move(x, y);
}

void CadWindow::Describe(int number, const DrawingDescription& description) {
  Sheet* sheet = SheetOf(number);
  if (!sheet) return;
  sheet->description = description;
  // "小齿轮 z=20 m=2 β=0° x=0 精细度 4" beside the tab named Drawing1.
  QString holds = QString::fromStdString(description.subject);
  if (!description.details.empty())
    holds += QLatin1Char(' ') + QString::fromStdString(description.details);
  tabs_->setTabToolTip(static_cast<int>(sheet - sheets_.data()), holds.trimmed());
}

QString CadWindow::TitleOf(const Sheet& sheet) {
  QString title = sheet.name;
  if (sheet.shortfalls.incomplete) title += QStringLiteral("（不完整）");
  if (sheet.shortfalls.unfinished) title += QStringLiteral("（未完成）");
  return title;
}

void CadWindow::ShowShortfalls(int number, const DrawingShortfalls& shortfalls) {
  Sheet* sheet = SheetOf(number);
  if (!sheet) return;
  sheet->shortfalls = shortfalls;
  tabs_->setTabText(static_cast<int>(sheet - sheets_.data()), TitleOf(*sheet));
  if (sheet == CurrentSheet()) CurrentChanged();
}

}  // namespace kelvo::cad
