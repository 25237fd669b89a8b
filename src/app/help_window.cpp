#include "app/help_window.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QTextDocument>

namespace kelvo {
namespace {

QString NotFoundPage(const QUrl& url) {
  const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
  return QStringLiteral(
             "<html><head><title>Kelvo 帮助</title></head><body>"
             "<h3>找不到帮助文件</h3><p>无法打开：%1</p>"
             "<p>帮助文件应当位于程序所在文件夹的 help 子文件夹中，"
             "安装后的程序则在安装目录的 share/kelvo/help 文件夹中。</p></body></html>")
      .arg(where.toHtmlEscaped());
}

}  // namespace

HelpWindow::HelpWindow(const QString& document_path, QWidget* owner)
    : QTextBrowser(owner),
      document_(QUrl::fromLocalFile(QFileInfo(document_path).absoluteFilePath())) {
  setObjectName(QStringLiteral("kelvoHelp"));
  setWindowFlag(Qt::Window);
  setWindowTitle(QStringLiteral("Kelvo 帮助"));
  setOpenLinks(true);
  setOpenExternalLinks(false);
  resize(720, 600);
  connect(this, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = documentTitle();
    if (!title.isEmpty()) setWindowTitle(title);
  });
}

void HelpWindow::ShowStart() {
  // Read the document again every time, so F1 always opens the guide as it is on disk and at
  // its first line, wherever the reader had navigated to.
  clearHistory();
  if (source() == document_)
    reload();
  else
    setSource(document_);
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  show();
  raise();
  activateWindow();
}

QVariant HelpWindow::loadResource(int type, const QUrl& name) {
  QVariant resource = QTextBrowser::loadResource(type, name);
  if (type == QTextDocument::HtmlResource &&
      (resource.isNull() || resource.toByteArray().isEmpty()))
    return NotFoundPage(name);
  return resource;
}

}  // namespace kelvo
