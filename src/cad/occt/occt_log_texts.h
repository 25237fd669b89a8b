#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Every line a drawing's log shows the designer, in the designer's words, in one place. Commands
// keep their names as typed. A new kind of line gets a function of its own here, called where
// the line is logged (LogCommandLine, MarkShortfall); what only someone looking into a fault
// needs (OpenCASCADE's alerts, the evaluation's stages) goes to LogTechnicalDetail instead.

namespace kelvo::cad {

// The command as typed, under the prompt's word: "命令: ZOOM E".
std::string CommandEchoText(std::string_view typed);
// A command the drawing does not know: 未知命令"LINE"，已忽略.
std::string UnknownCommandText(std::string_view typed);
// A command typed without its option, or whose last entry lacks the blank that ends it.
std::string MissingOptionText(std::string_view command);
std::string UnendedCommandText(std::string_view typed);
// An option the command does not have.
std::string UnknownOptionText(std::string_view command, std::string_view option);
// A command typed where no drawing is open.
std::string NoDrawingText();

// What the drawing's log says of its solid, naming what the drawing holds first when it was
// described ("小齿轮：..."), as every line about a gear does.
std::string AboutSubject(std::string_view subject, std::string_view text);
// The replication of the tooth spaces, evaluated late (occt_evaluation.h), in the designer's
// words: the copy that failed (1 for the first turned copy), the copies a stop left out, the
// whole replication put off by a failure (why: "内存不足", ...).
std::string SkippedCopyText(int copy);
std::string StoppedReplicationText(std::size_t left_out);
std::string PutOffReplicationText(std::size_t copies, std::string_view why);

}  // namespace kelvo::cad
