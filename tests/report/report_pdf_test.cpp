// The report drawn by Qt: the PDF read back by poppler finds every check's verdict and the 36
// values' Chinese names; the picture goes in as vector paths, never as an image; the rich text
// draws the picture from its SVG wherever it is painted.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "geometry/derived_values.h"
#include "geometry/design_checks.h"
#include "geometry/gear_pair_fields.h"
#include "geometry/report_fields.h"
#include "geometry/solved_pairs.h"
#include "report/qt/report_document.h"
#include "support/run_process.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

int Count(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// The PDF's text as pdftotext reads it, without the blanks and line ends its layout adds.
std::string PdfText(const std::string& pdf) {
  const fs::path file =
      fs::temp_directory_path() / ("kelvo-report-" + std::to_string(::getpid()) + ".pdf");
  std::ofstream(file, std::ios::binary) << pdf;
  const test::ProcessResult run = test::RunProcess("/usr/bin/pdftotext", {file.string(), "-"});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  std::string text;
  for (char c : run.out) {
    if (c != ' ' && c != '\n' && c != '\f') text += c;
  }
  const test::ProcessResult images =
      test::RunProcess("/usr/bin/pdfimages", {"-list", file.string()});
  // The header and its rule, and no image under them: the picture is vector paths.
  EXPECT_EQ(Count(images.out, "\n"), 2) << images.out;
  fs::remove(file);
  return text;
}

// The pointed pair has checks of all three verdicts.
TEST(ReportPdf, PopplerFindsEveryVerdictAndTheNamesOfThe36) {
  const GearPairData pair = SolvedPair(kPointedPair);
  const std::string pdf = ReportPdf({.pair = pair, .measured = {}});
  ASSERT_TRUE(pdf.starts_with("%PDF-"));
  const std::string text = PdfText(pdf);
  for (const GearPairField& field : kGearPairFields)
    EXPECT_NE(text.find(std::string(field.chinese)), std::string::npos) << field.name;
  for (const DerivedField& field : kDerivedFields)
    EXPECT_NE(text.find(std::string(field.chinese)), std::string::npos) << field.key;
  // Each verdict once per check that has it, once in the count above the table, and wherever a
  // sentence uses the word.
  const std::vector<DesignCheck> checks = CheckDesign(pair, DeriveValues(pair));
  for (const CheckLevel level : {CheckLevel::kOk, CheckLevel::kWarning, CheckLevel::kError}) {
    const std::string verdict(LevelChinese(level));
    int expected = 1;
    for (const DesignCheck& check : checks)
      expected += (check.level == level ? 1 : 0) + Count(check.text, verdict);
    EXPECT_EQ(Count(text, verdict), expected) << verdict;
  }
  for (const DesignCheck& check : checks)
    EXPECT_NE(text.find(std::string(check.title)), std::string::npos) << check.id;
  EXPECT_NE(text.find("第1页/共"), std::string::npos) << "the foot of the page";
}

TEST(ReportDocument, DrawsThePictureFromItsSvgWhereverItIsPainted) {
  // On an image of the page: where the picture sits, the gears' blue and brick red are drawn.
  const std::unique_ptr<QTextDocument> document =
      MakeReportDocument({.pair = SolvedPair(kDefaultPair), .measured = {}});
  document->setTextWidth(800);
  QImage page(document->size().toSize(), QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    QPainter painter(&page);
    document->drawContents(&painter);
  }
  const auto near = [](const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           30;
  };
  int blue = 0, red = 0;
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) {
      const QColor colour = page.pixelColor(x, y);
      blue += near(colour, QColor(0x1d, 0x4f, 0x91)) ? 1 : 0;
      red += near(colour, QColor(0xa2, 0x3b, 0x2a)) ? 1 : 0;
    }
  }
  // Outlines of about 3 teeth each, some hundreds of pixels long.
  EXPECT_GT(blue, 300);
  EXPECT_GT(red, 300);
  EXPECT_TRUE(document->toPlainText().contains(QStringLiteral("设计校核")));
}

}  // namespace
}  // namespace kelvo

int main(int argc, char** argv) {
  // Qt's offscreen platform: fonts and painting without a display, as kelvo-cli has them.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
