#pragma once

#include <memory>
#include <string>

#include "report/report_html.h"

class QPagedPaintDevice;
class QPaintDevice;
class QTextDocument;

namespace kelvo {

// This header needs no Qt: kelvo-cli writes a PDF with it without seeing Qt.

// The report as Qt rich text (ReportHtml with the picture by reference), its mesh picture drawn
// from its SVG by Qt SVG wherever the document is painted: on screen, into a PDF, on a printer,
// always as vector paths, never as pixels. The document owns what draws the picture. device:
// what it will be painted on, for its fonts' and the picture's sizes (none: the screen).
std::unique_ptr<QTextDocument> MakeReportDocument(const ReportSubject& subject,
                                                  QPaintDevice* device = nullptr);

// The report on the pages of a PDF writer or a printer, in the page layout the device has, with
// the title and "第 n 页 / 共 N 页" at the foot of each page. Needs a QGuiApplication.
void PaintReport(const ReportSubject& subject, QPagedPaintDevice& device);

// The report as a PDF file's contents: A4 portrait, titled as the report. Needs a
// QGuiApplication (OffscreenGui where there is none).
std::string ReportPdf(const ReportSubject& subject);

}  // namespace kelvo
