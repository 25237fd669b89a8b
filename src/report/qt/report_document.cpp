#include "report/qt/report_document.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextObjectInterface>
#include <string>

#include "geometry/mesh_picture.h"
#include "report/mesh_svg.h"

namespace kelvo {
namespace {

constexpr double kBodyPoints = 10.5;  // 五号, the body size of Chinese technical documents
constexpr double kFootPoints = 8;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Draws the report's one picture where Qt's rich text holds <img src="kMeshPictureName">, from
// the picture's SVG, at the size the <img> asks for (pixels of 96 per inch) on whatever device
// the document is laid out for. Qt's own image handler would make pixels of it.
class MeshPictureHandler final : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  MeshPictureHandler(const QByteArray& svg, QObject* parent)
      : QObject(parent), renderer_(svg, this) {}

  QSizeF intrinsicSize(QTextDocument* document, int /*position*/,
                       const QTextFormat& format) override {
    const QTextImageFormat image = format.toImageFormat();
    if (image.name() != FromUtf8(kMeshPictureName)) return {};
    double scale = 1;
    if (QPaintDevice* device = document->documentLayout()->paintDevice())
      scale = device->logicalDpiX() / 96.0;
    return QSizeF(image.width(), image.height()) * scale;
  }

  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* /*document*/,
                  int /*position*/, const QTextFormat& format) override {
    if (format.toImageFormat().name() != FromUtf8(kMeshPictureName)) return;
    painter->save();
    // The picture draws inside its frame already; the clip keeps any renderer honest.
    painter->setClipRect(rect, Qt::IntersectClip);
    renderer_.render(painter, rect);
    painter->restore();
  }

 private:
  QSvgRenderer renderer_;
};

QFont ReportFont(double points) {
  QFont font(QStringLiteral("AR PL UMing CN"));
  font.setPointSizeF(points);
  font.setStyleHint(QFont::Serif);
  return font;
}

}  // namespace

std::unique_ptr<QTextDocument> MakeReportDocument(const ReportSubject& subject,
                                                  QPaintDevice* device) {
  auto document = std::make_unique<QTextDocument>();
  document->setDefaultFont(ReportFont(kBodyPoints));
  if (device) document->documentLayout()->setPaintDevice(device);
  const MeshPicture picture = BuildMeshPicture(subject.pair);
  const std::string svg = MeshSvg(picture, MeshPictureWidthMm(picture));
  auto* handler = new MeshPictureHandler(QByteArray(svg.data(), static_cast<qsizetype>(svg.size())),
                                         document.get());
  document->documentLayout()->registerHandler(QTextFormat::ImageObject, handler);
  const std::string html = ReportHtml(subject, PictureInHtml::kImageReference);
  document->setHtml(FromUtf8(html));
  return document;
}

void PaintReport(const ReportSubject& subject, QPagedPaintDevice& device) {
  QPainter painter(&device);
  const std::unique_ptr<QTextDocument> document = MakeReportDocument(subject, &device);
  const QFont foot_font = ReportFont(kFootPoints);
  const QFontMetricsF foot_metrics(foot_font, &device);
  const double width = device.width();
  const double foot = 2.5 * foot_metrics.height();
  const double body = device.height() - foot;
  document->setPageSize(QSizeF(width, body));
  const int pages = document->pageCount();
  for (int page = 0; page < pages; ++page) {
    if (page > 0) device.newPage();
    painter.save();
    const QRectF clip(0, page * body, width, body);
    painter.translate(0, -page * body);
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    document->documentLayout()->draw(&painter, context);
    painter.restore();
    painter.setFont(foot_font);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    const QRectF foot_line(0, body + foot - foot_metrics.height(), width, foot_metrics.height());
    painter.drawText(foot_line, Qt::AlignLeft | Qt::AlignVCenter, FromUtf8(kReportTitle));
    painter.drawText(foot_line, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("第 %1 页 / 共 %2 页").arg(page + 1).arg(pages));
  }
}

std::string ReportPdf(const ReportSubject& subject) {
  QByteArray pdf;
  QBuffer buffer(&pdf);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(FromUtf8(kReportTitle));
    writer.setCreator(QStringLiteral("Kelvo"));
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(18, 15, 18, 12), QPageLayout::Millimeter));
    PaintReport(subject, writer);
  }
  return pdf.toStdString();
}

}  // namespace kelvo

#include "report_document.moc"
