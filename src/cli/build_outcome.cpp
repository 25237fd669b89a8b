#include "cli/build_outcome.h"

#include "app/commands/progress_captions.h"
#include "cad/occt/occt_document.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_log_texts.h"
#include "hobbing/hob_gear.h"
#include "hobbing/hob_plan.h"

namespace kelvo::cli {
namespace {

// More than this many are summed up in one line: a gear with hundreds of failed copies is
// told in a few lines, the drawing's log holds them all.
constexpr std::size_t kListed = 5;

// The lines of the drawing's log about its solid, each of which begins with what the drawing
// holds ("小齿轮：..."), without that beginning.
std::vector<std::string> WhatTheDrawingSays(const cad::OcctDocument& drawing) {
  const std::string subject = cad::AboutSubject(drawing.Description().subject, "");
  std::vector<std::string> lines;
  if (subject.empty()) return lines;
  for (const std::string& line : drawing.CommandLog()) {
    if (line.starts_with(subject)) lines.push_back(line.substr(subject.size()));
  }
  return lines;
}

}  // namespace

std::string GearCalled(std::int16_t gearNo) {
  return ProgressCaptions().Start(gearNo).caption;
}

std::vector<std::string> Shortcomings(const GearBuild& build, const GearPairData& pair) {
  std::size_t failed_statements = 0;
  for (const SkippedStatement& statement : build.skipped) {
    // Its technical reason went to standard error (KELVO_LOG=1) when the drawing was marked.
    if (!CostsTheGearNothing(statement, GearToCut(pair, build.gearNo).z)) ++failed_statements;
  }
  if (failed_statements == 0 && build.failedBooleans == 0) return {};
  std::vector<std::string> lines;
  if (build.drawing && build.drawing->IsOpen()) lines = WhatTheDrawingSays(*build.drawing);
  if (lines.size() > kListed) {
    const std::size_t more = lines.size() - kListed;
    lines.resize(kListed);
    lines.push_back("另有 " + std::to_string(more) + " 处");
  }
  // Every failure marks the drawing with its line; were one to come without, it is counted.
  if (lines.empty() && failed_statements > 0)
    lines.push_back("有 " + std::to_string(failed_statements) + " 个步骤失败，已跳过");
  if (lines.empty())
    lines.push_back("有 " + std::to_string(build.failedBooleans) + " 次布尔运算失败");
  return lines;
}

void SayIncomplete(std::ostream& err, std::int16_t gearNo, std::string_view consequence,
                   const std::vector<std::string>& shortcomings) {
  err << "kelvo-cli: " << GearCalled(gearNo) << "不完整";
  if (!consequence.empty()) err << "，" << consequence;
  err << "：\n";
  for (const std::string& shortcoming : shortcomings)
    err << "  " << shortcoming << '\n';
}

void SayStopped(std::ostream& err, std::string_view where, const std::string& out) {
  err << "kelvo-cli: 已按 Ctrl-C 停止";
  if (!where.empty()) err << "（停在\"" << where << "\"）";
  if (!out.empty()) err << "，未写文件 " << out;
  err << "。\n";
}

void SayNotMade(std::ostream& err, const std::vector<std::int16_t>& gears,
                const std::exception& error) {
  const std::string gear = gears.size() == 1 ? GearCalled(gears.front()) : "齿轮";
  SayFailed(err, "未能生成" + gear + "：CAD 程序未能建立它的图形或毛坯。", error);
}

void SayFailed(std::ostream& err, std::string_view sentence, const std::exception& error) {
  cad::LogTechnicalDetail(error.what());
  err << "kelvo-cli: " << sentence << '\n';
}

}  // namespace kelvo::cli
