#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

#include "app/commands/command_session.h"
#include "app/commands/main_window_seam.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kelvo {

class HelpWindow;
class InputBlocker;
class ReportWindow;

// The program's one working window: seven inputs, seven results, the model options, the three
// command buttons, the help hint and the status line, laid out at fixed positions in a fixed
// 529 x 373 client area; while a gear is built, a progress bar and a stop button beside it. Every
// control carries its own name as objectName ("Text_a_true", "cmdCalculate", ...). The commands
// reach the window through MainWindowSeam; what they share from one to the next, the window
// holds for them (Session).
class MainForm final : public QWidget, public MainWindowSeam {
  Q_OBJECT

 public:
  // help_path: the user guide that F1 opens; by default help/kelvoHelp.html beside the program,
  // or the installed guide (UserGuidePath).
  explicit MainForm(const QString& help_path = DefaultHelpPath(), QWidget* parent = nullptr);
  ~MainForm() override;

  static QString DefaultHelpPath();

  CommandSession& Session() override { return session_; }
  std::string InputText(InputField field) const override;
  std::string ResultText(ResultField field) const override;
  void SetResultText(ResultField field, const std::string& text) override;
  std::string FinenessText() const override;
  int CheckValue(CheckOption option) const override;
  std::string StatusText() const override;
  void SetStatusText(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  void BeginLongCommand() override;
  void EndLongCommand() override;
  void KeepPainted() override;
  void ShowProgress(const std::string& caption, int done, int total) override;
  void HideProgress() override;
  bool StopRequested() const override;
  void ClearStopRequest() override;
  void ShowReport() override;
  void SessionChanged() override;

  // F1: the user guide at its start, in its own window (one window, raised on every F1).
  void ShowHelp();

  // cmd3D, which runs the generate command (mainForm_cmd3D_Click).
  QPushButton* generateButton() const { return cmd_3d_; }
  // cmdStop ("停止"), beside the progress bar and shown with it: stops the generate command.
  QPushButton* stopButton() const { return cmd_stop_; }
  // The report window (计算书) once cmdReport has opened it, else null.
  ReportWindow* reportWindow() const;

 private:
  void CreateControls();
  void SetTabOrder();

  QString help_path_;
  std::array<QLineEdit*, 7> inputs_{};
  std::array<QLineEdit*, 7> results_{};
  std::array<QCheckBox*, 3> checks_{};
  QComboBox* fine_ = nullptr;
  QPushButton* cmd_calculate_ = nullptr;
  QPushButton* cmd_3d_ = nullptr;
  QPushButton* cmd_report_ = nullptr;
  QLabel* prompt_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cmd_stop_ = nullptr;
  bool stop_requested_ = false;
  InputBlocker* blocker_ = nullptr;
  QPointer<HelpWindow> help_;
  QPointer<ReportWindow> report_;
  CommandSession session_;
};

}  // namespace kelvo
