#include "tests/support/ServerProcess.h"

#include <fstream>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cctype>

namespace zolvex::test {

namespace {
constexpr int kStartTimeoutMs = 10000;

// The numbers that follow "port " in text, in order.
std::vector<int> AnnouncedPorts(const std::string& text) {
  std::vector<int> ports;
  for (size_t at = text.find("port "); at != std::string::npos; at = text.find("port ", at + 5)) {
    size_t digits = at + 5;
    if (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
      ports.push_back(std::atoi(text.c_str() + digits));
    }
  }
  return ports;
}
}  // namespace

ServerProcess::ServerProcess(const std::string& program, const std::vector<std::string>& arguments) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(pipefd[1], STDOUT_FILENO);
    dup2(pipefd[1], STDERR_FILENO);
    close(pipefd[0]);
    close(pipefd[1]);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipefd[1]);
  output_fd_ = pipefd[0];
  // Read until the announcement line arrives (or the time runs out).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  while (port_ == 0 && std::chrono::steady_clock::now() < deadline) {
    pollfd fd{output_fd_, POLLIN, 0};
    if (poll(&fd, 1, 100) <= 0) continue;
    char buffer[512];
    ssize_t n = read(output_fd_, buffer, sizeof buffer);
    if (n <= 0) break;
    output_.append(buffer, static_cast<size_t>(n));
    ports_ = AnnouncedPorts(output_);
    if (!ports_.empty()) port_ = ports_.front();
  }
  // Give a second announcement (a second listening port) a moment to arrive.
  pollfd fd{output_fd_, POLLIN, 0};
  if (poll(&fd, 1, 200) > 0) {
    char buffer[512];
    ssize_t n = read(output_fd_, buffer, sizeof buffer);
    if (n > 0) output_.append(buffer, static_cast<size_t>(n));
    ports_ = AnnouncedPorts(output_);
  }
  // Further output is not read; keep the pipe from filling by draining it without blocking.
  fcntl(output_fd_, F_SETFL, O_NONBLOCK);
}

ServerProcess::~ServerProcess() { Stop(); }

void ServerProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    for (int i = 0; i < 50; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      usleep(20000);
    }
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  if (output_fd_ >= 0) {
    close(output_fd_);
    output_fd_ = -1;
  }
}

}  // namespace zolvex::test

namespace zolvex::test {

long ServerProcess::ResidentMb() const {
  if (pid_ <= 0) return -1;
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024;
  }
  return -1;
}

}  // namespace zolvex::test
