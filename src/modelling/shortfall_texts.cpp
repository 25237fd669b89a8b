#include "modelling/shortfall_texts.h"

#include <array>
#include <string_view>

namespace kelvo {
namespace {

struct StepText {
  std::string_view step;     // as SkipOnFailure names it
  std::string_view chinese;  // with "{}" where its number goes, if it has one
};

// Every statement of the gear's build and of HobGear that can be skipped and change the drawing
// (hiding the CAD application changes nothing in it).
constexpr std::array<StepText, 24> kStepTexts = {{
    {"new drawing", "未能新建图形"},
    {"make the blank", "未能生成毛坯"},
    {"hob the gear", "未进行滚切，图形中只有毛坯"},
    {"positions per pitch", "无法算出每个齿距的切削位置数，按每个齿距 1 个位置切削"},
    {"make the rack cutter", "未能生成齿条刀具，未进行滚切"},
    {"roll step", "无法算出刀具每步的移动量"},
    {"roll angle", "无法算出毛坯每步的转角"},
    {"position count", "无法算出切削位置数"},
    {"advance the cutter at position", "第 {} 个切削位置的刀具移动失败，已跳过"},
    {"copy the cutter at position", "第 {} 个切削位置的刀具复制失败，已跳过"},
    {"turn the blank at position", "第 {} 个切削位置的毛坯转动失败，已跳过"},
    {"cut at position", "第 {} 个切削位置的布尔运算失败，已跳过"},
    {"discard the tool of cut at position", "第 {} 个切削位置的刀具副本未能删除，仍留在图形中"},
    {"array the blank", "毛坯的环形阵列失败，其余齿槽未复制"},
    {"intersect with copy", "第 {} 个齿槽复制的布尔运算失败，已跳过"},
    {"discard the tool of intersect with copy",
     "第 {} 个齿槽复制用的毛坯副本未能删除，仍留在图形中"},
    {"delete the cutter", "齿条刀具未能删除，仍留在图形中"},
    {"add the reference circle", "未能添加分度圆"},
    {"colour the reference circle red", "未能把分度圆设为红色"},
    {"look from (1, 1, 1)", "未能把视图方向设为 (1, 1, 1)"},
    {"centre the view on the origin", "未能把视图中心设在原点"},
    {"apply the view", "未能应用视图"},
    {"zoom to extents", "未能缩放到范围"},
    {"shade", "未能着色显示"},
}};

std::string WithNumber(std::string_view text, std::int64_t number) {
  std::string filled(text);
  const std::size_t at = filled.find("{}");
  if (at != std::string::npos) filled.replace(at, 2, std::to_string(number));
  return filled;
}

}  // namespace

std::string SkippedStepText(const SkippedStatement& skipped) {
  for (const StepText& text : kStepTexts) {
    if (text.step == skipped.step) return WithNumber(text.chinese, skipped.number);
  }
  return "有一个步骤失败，已跳过";
}

std::string StoppedBuildText(const HobProgressReport& reached) {
  const std::string rest = "，分度圆和视图也未设置";
  if (reached.positionsDone < reached.positionCount) {
    return "已停止：滚切只完成了 " + std::to_string(reached.positionsDone) + "/" +
           std::to_string(reached.positionCount) + " 个切削位置，其余齿槽未复制" + rest;
  }
  return "已停止：齿槽只复制了 " + std::to_string(reached.intersectionsDone) + "/" +
         std::to_string(reached.intersectionCount) + " 个" + rest;
}

}  // namespace kelvo
