#include "cad/occt/occt_log_texts.h"

namespace kelvo::cad {
namespace {

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

}  // namespace

std::string CommandEchoText(std::string_view typed) {
  return "命令: " + std::string(typed);
}

std::string UnknownCommandText(std::string_view typed) {
  return "未知命令" + Quoted(typed) + "，已忽略";
}

std::string MissingOptionText(std::string_view command) {
  return "命令 " + std::string(command) + " 缺少选项，已忽略";
}

std::string UnendedCommandText(std::string_view typed) {
  return "命令" + Quoted(typed) + "没有结束（最后一项后面要有空格），已忽略";
}

std::string UnknownOptionText(std::string_view command, std::string_view option) {
  return "命令 " + std::string(command) + " 没有选项" + Quoted(option) + "，已忽略";
}

std::string NoDrawingText() {
  return "没有打开的图形。";
}

std::string AboutSubject(std::string_view subject, std::string_view text) {
  if (subject.empty()) return std::string(text);
  std::string line(subject);
  line += "：";
  line += text;
  return line;
}

std::string SkippedCopyText(int copy) {
  return "第 " + std::to_string(copy) + " 个齿槽复制的求交运算失败，已跳过，齿轮上少了这个齿槽";
}

std::string StoppedReplicationText(std::size_t left_out) {
  return "复制齿槽被停止：还有 " + std::to_string(left_out) + " 个齿槽未复制，齿轮上缺少这些齿槽";
}

std::string PutOffReplicationText(std::size_t copies, std::string_view why) {
  return "复制齿槽未能进行（" + std::string(why) + "）：" + std::to_string(copies) +
         " 个齿槽暂未复制，下次显示、测量或导出时再做";
}

}  // namespace kelvo::cad
