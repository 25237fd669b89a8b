#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QEvent;

namespace kelvo {

// Keeps the user's hands off the program while a long command runs, without stopping it from
// painting. Installed on the application, it drops every mouse, keyboard, touch and tablet
// event, shortcut and request to close a window, in every window, except in a modal box the
// command itself shows. Input is dropped, not held back: once the command has ended, nothing
// the user did meanwhile (a second click on the same button, above all) takes effect.
class InputBlocker final : public QObject {
 public:
  using QObject::QObject;

  // The one control that stays live while input is dropped (the button that stops the
  // command): while it is shown and enabled, mouse input over it gets through.
  void LetThrough(QWidget* control) { live_ = control; }

  // Starts dropping input.
  void Begin();
  // Drops what is still on its way from the window system, then lets input through again.
  void End();
  bool IsBlocking() const { return blocking_; }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  // Where input still gets through while blocking: the command's own message boxes, and the
  // live control.
  bool Passes(const QObject* receiver, const QEvent& event) const;
  bool ReachesLiveControl(const QObject* receiver, const QEvent& event) const;

  bool blocking_ = false;
  QPointer<QWidget> live_;
};

}  // namespace kelvo
