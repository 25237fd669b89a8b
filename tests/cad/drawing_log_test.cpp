// What a drawing's log tells the designer, line by line, in Chinese: the commands typed, an
// unknown one, a stop and a failed step; and the technical detail behind a failure, which goes
// to standard error with KELVO_LOG=1 and nowhere else.

#include <gtest/gtest.h>

#include <Standard_Failure.hxx>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cad/occt/occt_deferred_faults.h"
#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

// A drawing described as the gear `subject`, holding a blank with one slot and its four turned
// copies intersected, deferred.
std::shared_ptr<OcctDocument> SlottedDrawing(OcctCadApplication& app, const std::string& subject) {
  auto drawing = app.Documents().AddDrawing();
  drawing->Describe({.subject = subject});
  testing::ReplicateSlot(*testing::AddSlottedBlank(*drawing->ModelSpace()));
  return drawing;
}

// OpenCASCADE fails the one cut and then the second turned copy's intersection.
void FailTheSecondCopy(DeferredStage stage) {
  static int intersections = 0;
  if (stage == DeferredStage::JobStart) intersections = 0;
  if (stage == DeferredStage::OneCut ||
      (stage == DeferredStage::OneIntersection && ++intersections == 2)) {
    throw Standard_Failure("struck by the test");
  }
}

struct LogCase {
  const char* name;
  std::function<std::shared_ptr<OcctDocument>(OcctCadApplication&)> run;
  std::vector<std::string> log;  // the drawing's whole log
  const char* technical = "";    // what standard error holds with KELVO_LOG=1; "" nothing
};

std::function<std::shared_ptr<OcctDocument>(OcctCadApplication&)> Typed(const char* text) {
  return [text](OcctCadApplication& app) {
    auto drawing = app.Documents().AddDrawing();
    drawing->SendCommand(text);
    return drawing;
  };
}

const LogCase kLogCases[] = {
    {.name = "commands as typed",
     .run = Typed("ZOOM E shademode g _SHADEMODE 2D "),
     .log = {"命令: ZOOM E", "命令: shademode g", "命令: _SHADEMODE 2D"}},
    {.name = "an unknown command",
     .run = Typed("LINE ZOOM E "),
     .log = {"命令: LINE", "未知命令\"LINE\"，已忽略", "命令: ZOOM E"}},
    {.name = "an option the command does not have",
     .run = Typed("ZOOM W "),
     .log = {"命令: ZOOM W", "命令 ZOOM 没有选项\"W\"，已忽略"}},
    {.name = "no option",
     .run = Typed("SHADEMODE "),
     .log = {"命令: SHADEMODE", "命令 SHADEMODE 缺少选项，已忽略"}},
    {.name = "no blank after the last entry",
     .run = Typed("ZOOM E"),
     .log = {"命令: ZOOM E", "命令\"ZOOM E\"没有结束（最后一项后面要有空格），已忽略"}},
    {.name = "a stop in the replication",
     .run =
         [](OcctCadApplication& app) {
           auto drawing = SlottedDrawing(app, "大齿轮");
           app.SetEvaluationHooks({.stop_requested = [] { return true; }});
           EXPECT_THROW(drawing->Evaluate(), EvaluationStopped);
           app.SetEvaluationHooks({});
           return drawing;
         },
     .log = {"大齿轮：复制齿槽被停止：还有 4 个齿槽未复制，齿轮上缺少这些齿槽"}},
    {.name = "a failed step of the replication",
     .run =
         [](OcctCadApplication& app) {
           // The replication on the solids, where a copy's intersection can fail on its own.
           app.SetBooleanEvaluation(BooleanEvaluation::Fast3D);
           auto drawing = SlottedDrawing(app, "小齿轮");
           SetDeferredFaultForTesting(FailTheSecondCopy);
           drawing->Evaluate();
           SetDeferredFaultForTesting(nullptr);
           return drawing;
         },
     .log = {"小齿轮：第 2 个齿槽复制的求交运算失败，已跳过，齿轮上少了这个齿槽"},
     .technical = "kelvo: Drawing1: Boolean intersection: OpenCASCADE raised Standard_Failure: "
                  "struck by the test (skipped)"},
    {.name = "a step of the gear's build skipped",
     .run =
         [](OcctCadApplication& app) {
           auto drawing = app.Documents().AddDrawing();
           drawing->MarkShortfall(Shortfall::Incomplete,
                                  "小齿轮：第 5 个切削位置的布尔运算失败，已跳过",
                                  "cut at position 5 failed: Boolean subtraction: the result is "
                                  "empty");
           return drawing;
         },
     .log = {"小齿轮：第 5 个切削位置的布尔运算失败，已跳过"},
     .technical = "kelvo: Drawing1: cut at position 5 failed: Boolean subtraction: the result is "
                  "empty"},
};

TEST(DrawingLogTest, SpeaksChineseAndKeepsTheTechnicalDetailForKelvoLog) {
  for (const LogCase& c : kLogCases) {
    SCOPED_TRACE(c.name);
    for (const bool kelvo_log : {false, true}) {
      if (kelvo_log) {
        setenv("KELVO_LOG", "1", 1);
      } else {
        unsetenv("KELVO_LOG");
      }
      auto app = MakeHeadlessCadApplication();
      ::testing::internal::CaptureStderr();
      const std::shared_ptr<OcctDocument> drawing = c.run(*app);
      const std::string stderr_text = ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(drawing->CommandLog(), c.log);
      if (kelvo_log && *c.technical) {
        EXPECT_NE(stderr_text.find(std::string(c.technical) + "\n"), std::string::npos)
            << stderr_text;
      } else {
        EXPECT_EQ(stderr_text, "") << "KELVO_LOG=" << kelvo_log;
      }
    }
  }
  unsetenv("KELVO_LOG");
}

}  // namespace
}  // namespace kelvo::cad
