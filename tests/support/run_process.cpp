#include "support/run_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kelvo::test {
namespace {

std::string TempPath() {
  char name[] = "/tmp/kelvo-test-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  close(fd);
  return name;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Slurp(const std::string& path) {
  std::string contents = Contents(path);
  std::remove(path.c_str());
  return contents;
}

int ExitStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Starts program with stdin from /dev/null and stdout, stderr into the given files.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::string& out_path, const std::string& err_path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);
  return pid;
}

}  // namespace

InterruptedProcess RunProcessAndInterrupt(const std::string& program,
                                          const std::vector<std::string>& args,
                                          const std::string& err_text, double delay) {
  using Clock = std::chrono::steady_clock;
  const std::string out_path = TempPath();
  const std::string err_path = TempPath();
  const pid_t pid = Spawn(program, args, out_path, err_path);
  InterruptedProcess run;
  int status = 0;
  const auto give_up = Clock::now() + std::chrono::minutes(1);
  bool ended = false, awaited = false;
  while (!ended && !awaited && Clock::now() < give_up) {
    ended = waitpid(pid, &status, WNOHANG) == pid;
    awaited = !ended && Contents(err_path).find(err_text) != std::string::npos;
    if (!ended && !awaited) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (awaited) {
    std::this_thread::sleep_for(std::chrono::duration<double>(delay));
    ended = waitpid(pid, &status, WNOHANG) == pid;
    run.interrupted = !ended;
    if (run.interrupted) kill(pid, SIGINT);
  } else if (!ended) {
    kill(pid, SIGKILL);
  }
  const auto signalled = Clock::now();
  if (!ended) waitpid(pid, &status, 0);
  run.seconds_after_signal = std::chrono::duration<double>(Clock::now() - signalled).count();
  run.result.exit_status = ExitStatus(status);
  run.result.out = Slurp(out_path);
  run.result.err = Slurp(err_path);
  return run;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args) {
  const std::string out_path = TempPath();
  const std::string err_path = TempPath();
  const pid_t pid = Spawn(program, args, out_path, err_path);
  int status = 0;
  waitpid(pid, &status, 0);
  ProcessResult result;
  result.exit_status = ExitStatus(status);
  result.out = Slurp(out_path);
  result.err = Slurp(err_path);
  return result;
}

}  // namespace kelvo::test
