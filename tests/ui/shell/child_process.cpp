#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace kovra::ui::testing {

ChildProcess::ChildProcess(std::vector<std::string> arguments,
                           const std::map<std::string, std::optional<std::string>>& environment) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    std::string name = entry.substr(0, entry.find('='));
    if (environment.count(name) == 0) env.push_back(entry);
  }
  for (const auto& [name, value] : environment) {
    if (value) env.push_back(name + "=" + *value);
  }
  std::vector<char*> argv;
  for (auto& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  int out[2];
  int err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setpgroup(&attr, 0);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
  if (::posix_spawn(&pid_, argv[0], &actions, &attr, argv.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(out[1]);
  ::close(err[1]);
  outFd_ = out[0];
  errFd_ = err[0];
  ::fcntl(outFd_, F_SETFL, O_NONBLOCK);
  ::fcntl(errFd_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    ::kill(-pid_, SIGKILL);
    if (!waitStatus_) ::waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) ::close(outFd_);
  if (errFd_ >= 0) ::close(errFd_);
}

void ChildProcess::signal(int signalNumber) {
  if (pid_ > 0) ::kill(pid_, signalNumber);
}

void ChildProcess::drain(bool block, int timeoutMs) {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  if (::poll(fds, 2, block ? timeoutMs : 0) <= 0) return;
  char buffer[4096];
  for (int i = 0; i < 2; ++i) {
    if (fds[i].fd < 0) continue;
    for (;;) {
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) break;
      (i == 0 ? out_ : err_).append(buffer, static_cast<size_t>(n));
    }
  }
}

bool ChildProcess::running() {
  if (pid_ <= 0 || waitStatus_) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) {
    waitStatus_ = status;
    return false;
  }
  return true;
}

const std::string& ChildProcess::errSoFar() {
  drain(false, 0);
  return err_;
}

const std::string& ChildProcess::outSoFar() {
  drain(false, 0);
  return out_;
}

std::string ChildProcess::firstLine(std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (out_.find('\n') == std::string::npos && running() && std::chrono::steady_clock::now() < deadline) {
    drain(true, 50);
  }
  const auto end = out_.find('\n');
  return end == std::string::npos ? std::string() : out_.substr(0, end);
}

ChildOutcome ChildProcess::wait(std::chrono::seconds limit) {
  ChildOutcome outcome;
  if (pid_ <= 0) return outcome;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-pid_, SIGKILL);
      int status = 0;
      ::waitpid(pid_, &status, 0);
      waitStatus_ = status;
      break;
    }
    drain(true, 50);
  }
  drain(false, 0);
  // Anything the group left behind goes too.
  ::kill(-pid_, SIGKILL);
  outcome.exited = WIFEXITED(*waitStatus_);
  outcome.status = outcome.exited ? WEXITSTATUS(*waitStatus_) : -1;
  outcome.out = out_;
  outcome.err = err_;
  return outcome;
}

PrivateBus::PrivateBus() {
  daemon_ = new ChildProcess({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}, {});
  address_ = daemon_->firstLine(std::chrono::seconds(20));
}

PrivateBus::~PrivateBus() { delete daemon_; }

}  // namespace kovra::ui::testing
