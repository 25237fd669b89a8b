#pragma once

#include <string>
#include <vector>

namespace kelvo::test {

struct ProcessResult {
  int exit_status = -1;  // the exit status, or 128 + signal number when killed by a signal
  std::string out, err;
};

// Runs program with args and waits for it; stdin is /dev/null.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args);

struct InterruptedProcess {
  ProcessResult result;
  bool interrupted = false;         // the awaited text came, and SIGINT was sent
  double seconds_after_signal = 0;  // from SIGINT to the program's end
};

// Runs program with args and, once its standard error holds err_text, waits `delay` seconds and
// sends it SIGINT (Ctrl-C), then waits for it. A program that ends first, or that has not
// written err_text within a minute (it is then killed), is not interrupted.
InterruptedProcess RunProcessAndInterrupt(const std::string& program,
                                          const std::vector<std::string>& args,
                                          const std::string& err_text, double delay);

}  // namespace kelvo::test
