#include "app/enter_clicks_button.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QPushButton>
#include <QWidget>

namespace kelvo {
namespace {

// A push button that is not a default button leaves Return and Enter to its window; the window
// hears them here, and clicks the button if it is the one that has the focus.
class EnterClicksFocusedButton final : public QObject {
 public:
  explicit EnterClicksFocusedButton(QWidget& window) : QObject(&window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (key->modifiers() & ~Qt::KeypadModifier) return false;
    auto* button = qobject_cast<QPushButton*>(window_.focusWidget());
    if (!button || !button->isEnabled() || !button->isVisible() || key->isAutoRepeat())
      return false;
    button->click();
    return true;
  }

 private:
  QWidget& window_;
};

}  // namespace

void MakeEnterClickFocusedButtons(QWidget& window) {
  window.installEventFilter(new EnterClicksFocusedButton(window));
}

}  // namespace kelvo
