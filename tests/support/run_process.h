#pragma once

#include <string>
#include <vector>

namespace kelvo::test {

struct ProcessResult {
  int exit_status = -1;  // the exit status, or 128 + signal number when killed by a signal
  std::string out;
  std::string err;
};

// Runs program with args and waits for it; stdin is /dev/null.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args);

}  // namespace kelvo::test
