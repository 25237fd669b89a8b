#include "cad/viewer/export_with_progress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <exception>
#include <limits>
#include <system_error>
#include <thread>

#include "cad/occt/occt_export.h"

namespace kelvo::cad {
namespace {

// Exports that end sooner than this show no progress box at all.
constexpr int kShowAfterMs = 400;
constexpr int kSteps = 1000;

}  // namespace

ExportEnd WriteWithProgress(QWidget* parent, const PreparedExport& prepared, const QString& name) {
  std::atomic<double> done{0};
  std::atomic<bool> cancelled{false};
  std::atomic<bool> finished{false};
  ExportEnd end;
  const auto write = [&] {
    try {
      prepared.Write({[&](double share) { done = share; }, [&] { return cancelled.load(); }});
    } catch (const ExportCancelled&) {
      end.kind = ExportEnd::Cancelled;
    } catch (const std::exception& error) {
      end = {ExportEnd::Failed, error.what()};
    } catch (...) {
      end = {ExportEnd::Failed, "unknown failure"};
    }
    finished = true;
  };
  std::thread writer;
  try {
    writer = std::thread(write);
  } catch (const std::system_error&) {
    write();  // no thread to be had: written here, the window waiting
  }

  QProgressDialog box(QStringLiteral("正在导出 %1……").arg(name), QStringLiteral("取消"), 0, kSteps,
                      parent);
  box.setWindowTitle(QStringLiteral("Kelvo"));
  box.setWindowModality(Qt::ApplicationModal);
  box.setAutoClose(false);
  box.setAutoReset(false);
  // The box is shown below, at a moment of this loop's choosing, never by its own timer.
  box.setMinimumDuration(std::numeric_limits<int>::max());
  QTimer tick;  // wakes the loop below to follow the writer
  tick.start(30);
  QElapsedTimer since;
  since.start();
  while (!finished) {
    // Until the box holds the input, none is taken: no second export or closing meanwhile.
    const bool boxed = box.isVisible();
    QCoreApplication::processEvents(
        QEventLoop::WaitForMoreEvents |
        (boxed ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents));
    // 取消, Esc or closing the box: the writer stops at its next chance, which may be at the
    // end of its stage; the box says so meanwhile and keeps the input.
    if (box.wasCanceled() && !cancelled) {
      cancelled = true;
      box.setLabelText(QStringLiteral("正在取消导出 %1，请稍候……").arg(name));
      box.setCancelButtonText(QString());
      box.show();
    }
    if (!boxed && !cancelled && since.hasExpired(kShowAfterMs)) box.show();
    if (!cancelled) box.setValue(static_cast<int>(std::lround(done * kSteps)));
  }
  if (writer.joinable()) writer.join();
  return end;
}

}  // namespace kelvo::cad
