#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "app/commands/command_session.h"
#include "report/report_html.h"

class QPushButton;
class QTextBrowser;

namespace kelvo {

// The designer's report (计算书) of the main window's pair in a window of its own: every value,
// the design checks, the mesh picture (drawn as vectors from its SVG) and, for gears of the pair
// built in the 3D window in this session, their measurements beside theory. Saves the report as
// one HTML file or as PDF, and prints it. It belongs to the main window (closed with it) but is
// a separate top-level window, so both stay usable.
class ReportWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit ReportWindow(QWidget* owner);
  ~ReportWindow() override;

  // Shows the report of the session's pair and of the gears built of it; each gear is measured
  // once, the first time it is shown.
  void Follow(const CommandSession& session);

  const ReportSubject& Subject() const { return subject_; }
  QTextBrowser* View() const { return view_; }

  // Writes the report to path (through a temporary file, renamed); false, after telling the user
  // why in a message box, when it cannot.
  bool SaveHtml(const QString& path);
  bool SavePdf(const QString& path);

 private:
  void SaveWithDialog(bool pdf);
  void Print();
  bool Write(const QString& path, const std::string& contents);

  struct Measurement {
    std::shared_ptr<cad::Cad3DSolid> gear;
    std::optional<MeasuredGear> measured;
  };

  QTextBrowser* view_ = nullptr;
  QPushButton* save_html_ = nullptr;
  QPushButton* save_pdf_ = nullptr;
  QPushButton* print_ = nullptr;
  ReportSubject subject_;
  std::vector<Measurement> measurements_;
  QString folder_;
};

}  // namespace kelvo
