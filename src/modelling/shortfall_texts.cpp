#include "modelling/shortfall_texts.h"

#include <string_view>

namespace kelvo {
namespace {

// In the designer's words, with "{}" where the position or copy number goes. Hiding the CAD
// application changes nothing in the drawing and is never marked.
std::string_view Chinese(GearStep step) {
  switch (step) {
    case GearStep::NewDrawing:
      return "未能新建图形";
    case GearStep::HideCadApplication:
      return "未能隐藏 CAD 程序";
    case GearStep::MakeBlank:
      return "未能生成毛坯";
    case GearStep::HobTheGear:
      return "未进行滚切，图形中只有毛坯";
    case GearStep::PositionsPerPitch:
      return "无法算出每个齿距的切削位置数，按每个齿距 1 个位置切削";
    case GearStep::MakeRackCutter:
      return "未能生成齿条刀具，未进行滚切";
    case GearStep::RollStep:
      return "无法算出刀具每步的移动量";
    case GearStep::RollAngle:
      return "无法算出毛坯每步的转角";
    case GearStep::PositionCount:
      return "无法算出切削位置数";
    case GearStep::AdvanceCutter:
      return "第 {} 个切削位置的刀具移动失败，已跳过";
    case GearStep::CopyCutter:
      return "第 {} 个切削位置的刀具复制失败，已跳过";
    case GearStep::TurnBlank:
      return "第 {} 个切削位置的毛坯转动失败，已跳过";
    case GearStep::CutAtPosition:
      return "第 {} 个切削位置的布尔运算失败，已跳过";
    case GearStep::DiscardCutterCopy:
      return "第 {} 个切削位置的刀具副本未能删除，仍留在图形中";
    case GearStep::ArrayBlank:
      return "毛坯的环形阵列失败，其余齿槽未复制";
    case GearStep::IntersectWithCopy:
      return "第 {} 个齿槽复制的布尔运算失败，已跳过";
    case GearStep::DiscardBlankCopy:
      return "第 {} 个齿槽复制用的毛坯副本未能删除，仍留在图形中";
    case GearStep::DeleteCutter:
      return "齿条刀具未能删除，仍留在图形中";
    case GearStep::AddReferenceCircle:
      return "未能添加分度圆";
    case GearStep::ColourReferenceCircle:
      return "未能把分度圆设为红色";
    case GearStep::LookFromOneOneOne:
      return "未能把视图方向设为 (1, 1, 1)";
    case GearStep::CentreView:
      return "未能把视图中心设在原点";
    case GearStep::ApplyView:
      return "未能应用视图";
    case GearStep::ZoomExtents:
      return "未能缩放到范围";
    case GearStep::Shade:
      return "未能着色显示";
  }
  return "有一个步骤失败，已跳过";  // not reached: the switch names every step
}

}  // namespace

std::string SkippedStepText(const SkippedStatement& skipped) {
  std::string text(Chinese(skipped.step));
  const std::size_t at = text.find("{}");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(skipped.number));
  return text;
}

std::string StoppedBuildText(const HobProgressReport& reached) {
  if (reached.positionsDone < reached.positionCount) {
    return "滚切被停止，只完成了 " + std::to_string(reached.positionsDone) + "/" +
           std::to_string(reached.positionCount) + " 个切削位置；齿槽未复制，分度圆和视图也未设置";
  }
  return "复制齿槽被停止，只复制了 " + std::to_string(reached.intersectionsDone) + "/" +
         std::to_string(reached.intersectionCount) + " 个齿槽；分度圆和视图也未设置";
}

}  // namespace kelvo
