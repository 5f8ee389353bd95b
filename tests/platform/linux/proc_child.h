#pragma once
// Child processes for tests of the process table, app matching and quitting.

#include <pwd.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace kovra::testing {

struct ChildOptions {
  std::optional<std::string> desktopFile;  // GIO_LAUNCHED_DESKTOP_FILE (with the child's pid)
  bool wrongDesktopPid = false;            // names another pid instead
  std::optional<uid_t> uid;                // run as this user (and its group)
};

// Starts `argv` (argv[0] a path) as the leader of a new process group, so that `reap` ends
// whatever it starts too; returns the pid, or -1.
inline pid_t spawnChild(const std::vector<std::string>& argv, const ChildOptions& options = {}) {
  pid_t pid = ::fork();
  if (pid > 0) ::setpgid(pid, pid);  // both sides set it: neither has to wait for the other
  if (pid != 0) return pid;
  ::setpgid(0, 0);
  if (options.desktopFile) {
    ::setenv("GIO_LAUNCHED_DESKTOP_FILE", options.desktopFile->c_str(), 1);
    ::setenv("GIO_LAUNCHED_DESKTOP_FILE_PID", std::to_string(options.wrongDesktopPid ? 1 : ::getpid()).c_str(), 1);
  }
  if (options.uid) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(*options.uid) != 0 || ::setuid(*options.uid) != 0) ::_exit(126);
  }
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

// Waits until /proc shows the child running `program` (its exec has happened).
inline bool waitForExec(pid_t pid, const std::string& comm) {
  for (int i = 0; i < 500; ++i) {
    std::string path = "/proc/" + std::to_string(pid) + "/comm";
    if (FILE* f = std::fopen(path.c_str(), "r")) {
      char buffer[64] = {};
      size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
      std::fclose(f);
      std::string got(buffer, n);
      if (!got.empty() && got.back() == '\n') got.pop_back();
      if (got == comm) return true;
    }
    ::usleep(10'000);
  }
  return false;
}

// Waits until the child sleeps in the kernel (state S) and its processor time stopped moving
// over two looks 20 ms apart: a shell that has started and now waits in `read`.
inline bool waitAsleep(pid_t pid) {
  auto look = [pid](char& state, std::string& times) {
    std::string path = "/proc/" + std::to_string(pid) + "/stat";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    char buffer[512] = {};
    size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    std::string stat(buffer, n);
    size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) return false;
    state = stat[close + 2];
    // Fields after the state: ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt utime stime.
    size_t at = close + 3;
    for (int field = 0; field < 10 && at != std::string::npos; ++field) at = stat.find(' ', at + 1);
    if (at == std::string::npos) return false;
    size_t end = stat.find(' ', stat.find(' ', at + 1) + 1);
    times = stat.substr(at, end - at);
    return true;
  };
  std::string before;
  for (int i = 0; i < 250; ++i) {
    char state = 0;
    std::string times;
    if (look(state, times) && state == 'S' && times == before) return true;
    before = state == 'S' ? times : std::string();
    ::usleep(20'000);
  }
  return false;
}

// Reaps the child, killing it first when it still runs; whatever else runs in its process group
// is killed in any case. Returns the signal that ended the child (0 for a normal exit).
inline int reap(pid_t pid, bool kill = true) {
  if (kill) ::kill(pid, SIGKILL);
  ::kill(-pid, SIGKILL);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// Waits up to `seconds` for the child to end by itself; the signal that ended it, 0, or -1 when
// it still runs.
inline int waitEnd(pid_t pid, int seconds) {
  for (int i = 0; i < seconds * 100; ++i) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    ::usleep(10'000);
  }
  return -1;
}

// An existing unprivileged user for tests whose children run as someone else ("nobody"); only
// root can start such children. Absent when impossible.
inline std::optional<uid_t> otherUser() {
  if (::geteuid() != 0) return std::nullopt;
  if (passwd* pw = ::getpwnam("nobody"); pw != nullptr && pw->pw_uid != 0) return pw->pw_uid;
  return std::nullopt;
}

}  // namespace kovra::testing
