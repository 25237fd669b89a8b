#include "support/run_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace kelvo::test {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A program started with stdin from /dev/null and stdout, stderr into files of their own.
struct Child {
  Child(const std::string& program, const std::vector<std::string>& args) {
    for (std::string* path : {&out, &err}) {
      const int fd = mkstemp(path->data());
      if (fd < 0) throw std::runtime_error("mkstemp failed");
      close(fd);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_TRUNC, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program);
  }
  bool Ended() { return ended = ended || waitpid(pid, &status, WNOHANG) == pid; }
  // Waits for the program's end and collects what it wrote.
  ProcessResult Result() {
    if (!ended) waitpid(pid, &status, 0);
    ProcessResult result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                         Contents(out), Contents(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return result;
  }

  std::string out = "/tmp/kelvo-test-XXXXXX", err = out;
  pid_t pid = 0;
  int status = 0;
  bool ended = false;
};

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args) {
  return Child(program, args).Result();
}

InterruptedProcess RunProcessAndInterrupt(const std::string& program,
                                          const std::vector<std::string>& args,
                                          const std::string& err_text, double delay) {
  using Clock = std::chrono::steady_clock;
  Child child(program, args);
  const auto give_up = Clock::now() + std::chrono::minutes(1);
  bool awaited = false;
  while (!child.Ended() && Clock::now() < give_up &&
         !(awaited = Contents(child.err).find(err_text) != std::string::npos))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  InterruptedProcess run;
  if (awaited) std::this_thread::sleep_for(std::chrono::duration<double>(delay));
  if (!child.Ended()) {
    run.interrupted = awaited;
    kill(child.pid, awaited ? SIGINT : SIGKILL);
  }
  const auto signalled = Clock::now();
  run.result = child.Result();
  run.seconds_after_signal = std::chrono::duration<double>(Clock::now() - signalled).count();
  return run;
}

}  // namespace kelvo::test
