#include "server_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace zms::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The milliseconds left of a 10-second wait that started at `start`.
int LeftMs(Clock::time_point start) {
  const auto left = std::chrono::duration_cast<milliseconds>(start + milliseconds(10000) - Clock::now()).count();
  return static_cast<int>(std::max<int64_t>(0, left));
}

int WaitForExit(pid_t pid) {
  int status = 0;
  for (const auto start = Clock::now(); LeftMs(start) > 0; std::this_thread::sleep_for(milliseconds(10))) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (done < 0) break;
  }
  return -1;
}

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> flags) {
  char path[] = "/tmp/zms-server-log-XXXXXX";
  const int logFd = mkstemp(path);
  logPath_ = path;
  int out[2];
  if (logFd < 0 || pipe(out) != 0) return;
  std::vector<std::string> args{ZMS_SERVER_PATH, "--port", "0"};
  args.insert(args.end(), flags.begin(), flags.end());
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], 1), dup2(logFd, 2);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]), close(logFd);
  // The first stdout line: "listening on 127.0.0.1:PORT".
  std::string line;
  char c;
  pollfd p{out[0], POLLIN, 0};
  for (const auto start = Clock::now(); poll(&p, 1, LeftMs(start)) > 0 && read(out[0], &c, 1) == 1 && c != '\n';)
    line += c;
  close(out[0]);
  const std::string prefix = "listening on 127.0.0.1:";
  if (line.rfind(prefix, 0) == 0) port_ = static_cast<uint16_t>(std::atoi(line.c_str() + prefix.size()));
}

ServerProcess::~ServerProcess() {
  if (pid_ > 0) Stop(SIGKILL);
  if (!logPath_.empty()) unlink(logPath_.c_str());
}

int ServerProcess::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  const int status = WaitForExit(pid_);
  if (status < 0) {
    kill(pid_, SIGKILL);
    WaitForExit(pid_);
  }
  pid_ = -1;
  return status;
}

std::string ServerProcess::Log() const {
  std::stringstream text;
  text << std::ifstream(logPath_).rdbuf();
  return text.str();
}

std::vector<uint8_t> Exchange(uint16_t port, const std::string& request, size_t count, milliseconds* elapsed) {
  std::vector<uint8_t> bytes;
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      send(fd, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
    const auto start = Clock::now();
    pollfd p{fd, POLLIN, 0};
    uint8_t buffer[4096];
    while (bytes.size() < count && poll(&p, 1, LeftMs(start)) > 0) {
      const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, count - bytes.size()), 0);
      if (n <= 0) break;
      bytes.insert(bytes.end(), buffer, buffer + n);
    }
    if (elapsed) *elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  }
  close(fd);
  return bytes;
}

}  // namespace zms::test
