#pragma once

#include <QString>
#include <QTextBrowser>
#include <QUrl>

namespace kelvo {

// The user guide's own window: an HTML viewer that follows the guide's links. It belongs to the
// main window (closed with it) but is a separate top-level window, so both stay usable.
class HelpWindow final : public QTextBrowser {
  Q_OBJECT

 public:
  HelpWindow(const QString& document_path, QWidget* owner);

  // Shows the document at its start, read afresh, and brings the window to the front.
  void ShowStart();

  QUrl documentUrl() const { return document_; }

 protected:
  // A document or link target that cannot be read is reported in the viewer itself.
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  QUrl document_;
};

}  // namespace kelvo
