#include "app/report_window.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "app/commands/main_window_seam.h"
#include "app/kelvo_application.h"
#include "app/window_fonts.h"
#include "report/measured/measure_built_gear.h"
#include "report/qt/report_document.h"
#include "report/report_file.h"

namespace kelvo {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ReportWindow::ReportWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("reportWindow"));
  setWindowTitle(QStringLiteral("计算书"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(860, 900);
  folder_ = QDir::homePath();

  save_html_ = new QPushButton(QStringLiteral("保存为 HTML..."), this);
  save_html_->setObjectName(QStringLiteral("saveHtml"));
  save_pdf_ = new QPushButton(QStringLiteral("保存为 PDF..."), this);
  save_pdf_->setObjectName(QStringLiteral("savePdf"));
  print_ = new QPushButton(QStringLiteral("打印..."), this);
  print_->setObjectName(QStringLiteral("print"));
  for (QPushButton* button : {save_html_, save_pdf_, print_}) {
    button->setFont(SongFont());
    button->setAutoDefault(false);
  }
  view_ = new QTextBrowser(this);
  view_->setObjectName(QStringLiteral("reportView"));
  view_->setOpenLinks(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save_html_);
  buttons->addWidget(save_pdf_);
  buttons->addWidget(print_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(view_);

  connect(save_html_, &QPushButton::clicked, this, [this] { SaveWithDialog(false); });
  connect(save_pdf_, &QPushButton::clicked, this, [this] { SaveWithDialog(true); });
  connect(print_, &QPushButton::clicked, this, &ReportWindow::Print);
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::Follow(const CommandSession& session) {
  ReportSubject subject{.pair = session.gearPair, .measured = {}};
  std::vector<Measurement> measurements;
  for (const BuiltGear& built : session.GearsBuiltFor(session.gearPair)) {
    const auto known = std::find_if(measurements_.begin(), measurements_.end(),
                                    [&](const Measurement& m) { return m.gear == built.gear; });
    Measurement measurement =
        known != measurements_.end()
            ? *known
            : Measurement{built.gear, MeasureBuiltGear(built.pair, built.gearNo, *built.gear,
                                                       built.fineness, built.complete)};
    if (measurement.measured) subject.measured.push_back(*measurement.measured);
    measurements.push_back(std::move(measurement));
  }
  // Only the gears of the pair shown are kept: a gear of another pair is measured afresh.
  measurements_ = std::move(measurements);
  subject_ = std::move(subject);

  // The same place in the new report, as far as it goes.
  const int scrolled = view_->verticalScrollBar()->value();
  // The view owns its document and deletes the one before.
  QTextDocument* document = MakeReportDocument(subject_).release();
  document->setParent(view_);
  view_->setDocument(document);
  view_->verticalScrollBar()->setValue(scrolled);
}

bool ReportWindow::Write(const QString& path, const std::string& contents) {
  try {
    WriteReportFile(std::filesystem::path(QFile::encodeName(path).toStdString()), contents);
    return true;
  } catch (const ReportFileError& error) {
    if (TechnicalLogWanted()) std::cerr << "kelvo: saving the report: " << error.what() << "\n";
    QMessageBox box(
        QMessageBox::NoIcon, FromUtf8(kMessageTitle),
        QStringLiteral("保存计算书失败：") + FromUtf8(error.Reason()) + QStringLiteral("。"),
        QMessageBox::Ok, this);
    box.exec();
    return false;
  }
}

bool ReportWindow::SaveHtml(const QString& path) {
  return Write(path, ReportHtml(subject_, PictureInHtml::kInlineSvg));
}

bool ReportWindow::SavePdf(const QString& path) {
  return Write(path, ReportPdf(subject_));
}

void ReportWindow::SaveWithDialog(bool pdf) {
  const QString suffix = pdf ? QStringLiteral(".pdf") : QStringLiteral(".html");
  const QString filter =
      pdf ? QStringLiteral("PDF 文件 (*.pdf)") : QStringLiteral("HTML 文件 (*.html *.htm)");
  QString path = QFileDialog::getSaveFileName(
      this, pdf ? QStringLiteral("保存为 PDF") : QStringLiteral("保存为 HTML"),
      QFileInfo(folder_, QStringLiteral("计算书") + suffix).filePath(), filter);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += suffix;
  folder_ = QFileInfo(path).absolutePath();
  if (pdf) {
    SavePdf(path);
  } else {
    SaveHtml(path);
  }
}

void ReportWindow::Print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(FromUtf8(kReportTitle));
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(QStringLiteral("打印计算书"));
  if (dialog.exec() != QDialog::Accepted) return;
  PaintReport(subject_, printer);
}

}  // namespace kelvo
