#include "server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace zms::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopTimeout = std::chrono::seconds(10);

pid_t Spawn(const std::vector<std::string>& flags, int stdoutFd, int stderrFd) {
  std::vector<std::string> args{ZMS_SERVER_PATH};
  args.insert(args.end(), flags.begin(), flags.end());
  pid_t pid = fork();
  if (pid == 0) {
    dup2(stdoutFd, 1);
    if (stderrFd >= 0) dup2(stderrFd, 2);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// Reads one line from fd within the deadline.
bool ReadLine(int fd, Clock::time_point deadline, std::string* line) {
  line->clear();
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    char c;
    if (read(fd, &c, 1) != 1) return false;
    if (c == '\n') return true;
    *line += c;
  }
}

int WaitForExit(pid_t pid, Clock::duration timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (done < 0 || Clock::now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

uint16_t PortOf(const std::string& line) {
  const std::string prefix = "listening on 127.0.0.1:";
  if (line.rfind(prefix, 0) != 0) return 0;
  return static_cast<uint16_t>(std::atoi(line.c_str() + prefix.size()));
}

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> flags) {
  char path[] = "/tmp/zms-server-log-XXXXXX";
  int logFd = mkstemp(path);
  logPath_ = path;
  int out[2];
  if (pipe(out) != 0) return;
  std::vector<std::string> all{"--port", "0"};
  all.insert(all.end(), flags.begin(), flags.end());
  bool wantsLocal = false;
  for (const std::string& f : flags) wantsLocal = wantsLocal || f == "--local-port";
  pid_ = Spawn(all, out[1], logFd);
  close(out[1]);
  close(logFd);
  const auto deadline = Clock::now() + kStartTimeout;
  std::string line;
  if (ReadLine(out[0], deadline, &line)) port_ = PortOf(line);
  if (port_ != 0 && wantsLocal && ReadLine(out[0], deadline, &line)) localPort_ = PortOf(line);
  close(out[0]);
}

ServerProcess::~ServerProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    WaitForExit(pid_, kStopTimeout);
  }
  if (!logPath_.empty()) unlink(logPath_.c_str());
}

int ServerProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  int status = WaitForExit(pid_, kStopTimeout);
  if (status < 0) {
    kill(pid_, SIGKILL);
    WaitForExit(pid_, kStopTimeout);
  }
  pid_ = -1;
  return status;
}

std::string ServerProcess::Log() const {
  std::ifstream file(logPath_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

int RunServerToEnd(const std::vector<std::string>& flags, std::string* output) {
  int out[2];
  if (pipe(out) != 0) return -1;
  int devnull = open("/dev/null", O_WRONLY);
  pid_t pid = Spawn(flags, out[1], devnull);
  close(out[1]);
  close(devnull);
  const auto deadline = Clock::now() + kStopTimeout;
  std::string line;
  while (ReadLine(out[0], deadline, &line)) *output += line + "\n";
  close(out[0]);
  int status = WaitForExit(pid, kStopTimeout);
  if (status < 0) {
    kill(pid, SIGKILL);
    WaitForExit(pid, kStopTimeout);
  }
  return status;
}

}  // namespace zms::test
