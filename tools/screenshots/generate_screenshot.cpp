// Clicks the generate button of the real main window and saves what the X server then shows of
// both windows side by side (--cad-window: of the 3D window alone; --both ticks the large gear;
// --report ticks both, then clicks 计算书 and saves the report window at its measured gears;
// --mesh ticks both, then types MESH at the 3D window's command line and shows that window):
//   xvfb-run -a -s "-screen 0 1520x760x24" generate_screenshot
//   [--both|--cad-window|--report|--mesh] OUT.png
// and prints the time from the click to the command's end and to the last drawing on screen.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <cstdio>
#include <string>

#include "app/kelvo_application.h"
#include "app/main_form.h"
#include "app/report_window.h"
#include "cad/connection/cad_registry.h"
#include "cad/occt/occt_application.h"
#include "cad/viewer/cad_window.h"
#include "cad/viewer/drawing_view.h"
#include "cad/viewer/windowed_cad_application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kelvo::SetUpKelvoApplication();
  const std::string option = argc == 3 ? argv[1] : "";
  const bool mesh = option == "--mesh";
  if (argc < 2 || argc > 3 ||
      (argc == 3 && option != "--both" && option != "--cad-window" && option != "--report" &&
       !mesh)) {
    std::fprintf(stderr,
                 "usage: generate_screenshot [--both|--cad-window|--report|--mesh] OUT.png\n");
    return 2;
  }
  kelvo::cad::RegisterWindowedCadFactory();
  kelvo::MainForm form;
  form.move(0, 0);
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  form.findChild<QCheckBox*>("Check_large")
      ->setChecked(option == "--both" || option == "--report" || mesh);
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(form.generateButton(), Qt::LeftButton);
  const double command = static_cast<double>(clock.elapsed()) / 1000;
  auto instance = std::dynamic_pointer_cast<kelvo::cad::WindowedCadApplication>(
      kelvo::cad::GetRunningInstance(kelvo::cad::kCadProgId));
  kelvo::cad::CadWindow& window = *instance->Window();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  if (mesh) {
    auto* command_line = window.findChild<QLineEdit*>(QStringLiteral("commandLine"));
    QTest::keyClicks(command_line, QStringLiteral("MESH"));
    QTest::keyClick(command_line, Qt::Key_Return);
  }
  const auto drawings = instance->Occt().Documents().Open();
  window.ViewOf(drawings.back()->Number())->grabFramebuffer();
  std::printf("%zu drawing(s): command %.1f s, last drawing on screen %.1f s after the click\n",
              drawings.size(), command, static_cast<double>(clock.elapsed()) / 1000);

  if (option == "--report") {
    QTest::mouseClick(form.findChild<QPushButton*>("cmdReport"), Qt::LeftButton);
    kelvo::ReportWindow* report = form.reportWindow();
    if (!report || !QTest::qWaitForWindowExposed(report)) return 1;
    std::printf("the report measured %zu gear(s)\n", report->Subject().measured.size());
    report->resize(900, 740);
    report->move(0, 0);
    report->raise();
    QTest::qWait(300);
    QScrollBar* scroll = report->View()->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    QTest::qWait(300);
    const bool saved =
        form.screen()->grabWindow(report->winId()).save(QString::fromLocal8Bit(argv[argc - 1]));
    instance->Quit();
    return saved ? 0 : 1;
  }

  // Where the 3D window placed itself, beside the main window; on a plain ground, as on a
  // desktop (Xvfb's bare root window is black).
  QTest::qWait(500);
  std::vector<QWidget*> parts{&window};
  if (option != "--cad-window" && !mesh) parts.push_back(&form);
  QRect shown;
  for (QWidget* part : parts)
    shown |= part->frameGeometry();
  QImage picture(shown.size(), QImage::Format_RGB32);
  picture.fill(QColor(0xd8, 0xdc, 0xe0));
  QPainter painter(&picture);
  for (QWidget* part : parts)
    painter.drawPixmap(part->frameGeometry().topLeft() - shown.topLeft(),
                       form.screen()->grabWindow(part->winId()));
  painter.end();
  if (!picture.save(QString::fromLocal8Bit(argv[argc - 1]))) return 1;
  instance->Quit();
  return 0;
}
