#include "app/input_blocker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace kelvo {
namespace {

bool IsUserInput(const QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    case QEvent::Close:
      // The window manager's close button; the program's own closing is not the user's input.
      return event.spontaneous();
    default:
      return false;
  }
}

}  // namespace

void InputBlocker::Begin() {
  if (blocking_) return;
  blocking_ = true;
  qApp->installEventFilter(this);
}

void InputBlocker::End() {
  if (!blocking_) return;
  // Clicks and keys made while the last step ran are still queued: deliver them to the filter
  // now, or the first of them would act the moment the command is over.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  qApp->removeEventFilter(this);
  blocking_ = false;
}

bool InputBlocker::ReachesLiveControl(const QObject* receiver, const QEvent& event) const {
  if (!live_ || !live_->isVisible() || !live_->isEnabled()) return false;
  if (receiver == live_) return true;
  // At the native window only the mouse over the control, or the release of a press on it
  // that has moved off, is let on towards it; the window then hands it to the control alone.
  const auto* window = qobject_cast<const QWindow*>(receiver);
  if (!window || window != live_->window()->windowHandle()) return false;
  const auto* mouse = dynamic_cast<const QMouseEvent*>(&event);
  if (!mouse) return false;
  const QRect where(live_->mapTo(live_->window(), QPoint(0, 0)), live_->size());
  const auto* button = qobject_cast<const QAbstractButton*>(live_.data());
  return where.contains(mouse->position().toPoint()) ||
         (event.type() == QEvent::MouseButtonRelease && button && button->isDown());
}

bool InputBlocker::Passes(const QObject* receiver, const QEvent& event) const {
  if (ReachesLiveControl(receiver, event)) return true;
  const QWidget* modal = QApplication::activeModalWidget();
  if (!modal) return false;
  // Qt hands input to the native window first and from there to the widget; both must pass.
  if (const auto* window = qobject_cast<const QWindow*>(receiver))
    return window == modal->windowHandle();
  // Shortcuts go to QShortcut and QAction objects; they belong to the widget that holds them.
  for (const QObject* object = receiver; object; object = object->parent()) {
    if (const auto* widget = qobject_cast<const QWidget*>(object)) return widget->window() == modal;
  }
  return false;
}

bool InputBlocker::eventFilter(QObject* receiver, QEvent* event) {
  if (!blocking_ || !IsUserInput(*event) || Passes(receiver, *event)) return false;
  // A dropped close request must also be refused, or the window closes regardless.
  event->ignore();
  return true;
}

}  // namespace kelvo
