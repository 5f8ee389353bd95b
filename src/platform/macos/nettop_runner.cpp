#include "platform/macos/nettop_runner.h"

#include "core/unique_fd.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

namespace kovra {

namespace {

using Clock = std::chrono::steady_clock;

const std::string kLaunchFailed = "nettop başlatılamadı: ";
const std::string kReadFailed = "nettop çıktısı okunamadı: ";
const std::string kNotFinished = "nettop sonlanmadı";

std::string callFailure(const char* call, int err) {
  return std::string(call) + ": " + std::error_code(err, std::generic_category()).message();
}

// The spawned tool. Its pid is also its process group, so a signal reaches whatever it started
// too. Exit is observed without reaping, so the pid (and the group) cannot be reused while
// signals may still be sent; `reap` is the one place that collects the child.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {
    long fd = ::syscall(SYS_pidfd_open, pid, 0);
    exitFd_.reset(fd >= 0 ? static_cast<int>(fd) : -1);
  }

  int exitFd() const { return exitFd_.get(); }

  bool hasExited() {
    if (exited_) return true;
    siginfo_t info{};
    int rc = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
    if (rc == 0 && info.si_pid == pid_) exited_ = true;
    if (rc != 0 && errno == ECHILD) exited_ = lost_ = true;  // collected by someone else
    return exited_;
  }

  void signalGroup(int sig) const {
    if (!lost_) ::kill(-pid_, sig);
  }

  // Collects an exited child; false when its status could not be had.
  bool reap(int& status) {
    if (lost_) return false;
    for (;;) {
      if (::waitpid(pid_, &status, 0) == pid_) return true;
      if (errno != EINTR) return false;
    }
  }

  // For a child that outlives the caller's limit: it has been sent SIGKILL; a detached thread
  // collects it so no zombie is left behind.
  void reapLater() const {
    if (lost_) return;
    pid_t pid = pid_;
    try {
      std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
      }).detach();
    } catch (const std::system_error&) {
      // No thread to spare: the child stays a zombie until this process ends.
    }
  }

 private:
  pid_t pid_;
  UniqueFd exitFd_;
  bool exited_ = false;
  bool lost_ = false;
};

struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// Starts the tool with its output on `writeEnd`; returns 0 or the error number.
int spawnTool(const std::string& executable, const std::vector<std::string>& arguments, int writeEnd,
              pid_t& pid) {
  SpawnSetup setup;
  int rc = posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (rc == 0) rc = posix_spawn_file_actions_adddup2(&setup.actions, writeEnd, STDOUT_FILENO);
  if (rc == 0) rc = posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // Descriptors this process inherited without close-on-exec stay out of the tool too.
  if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  if (rc == 0) rc = posix_spawnattr_setsigmask(&setup.attr, &none);
  if (rc == 0) rc = posix_spawnattr_setsigdefault(&setup.attr, &all);
  if (rc == 0) rc = posix_spawnattr_setpgroup(&setup.attr, 0);
  if (rc == 0) {
    rc = posix_spawnattr_setflags(&setup.attr, static_cast<short>(POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                                  POSIX_SPAWN_SETSIGDEF));
  }
  if (rc != 0) return rc;

  std::vector<std::string> argvText;
  argvText.reserve(arguments.size() + 1);
  argvText.push_back(executable);
  argvText.insert(argvText.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);
  return posix_spawn(&pid, executable.c_str(), &setup.actions, &setup.attr, argv.data(), environ);
}

int millisecondsUntil(Clock::time_point deadline, Clock::time_point now) {
  auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
  return static_cast<int>(std::clamp<long long>(ms, 0, 60'000));
}

}  // namespace

const std::vector<std::string>& nettopArguments() {
  static const std::vector<std::string> args{"-P", "-L", "1", "-x", "-n", "-t", "external", "-J", "bytes_in,bytes_out"};
  return args;
}

Result<std::string, SamplerError> runNettopTool(const std::string& executable,
                                                const std::vector<std::string>& arguments,
                                                const ToolLimits& limits) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return unreadable(kLaunchFailed + callFailure("pipe2", errno));
  UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
  if (writeEnd.get() <= STDERR_FILENO) {
    // A descriptor among 0–2 would be clobbered by the child's own setup; move it out of the way.
    int moved = ::fcntl(writeEnd.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (moved < 0) return unreadable(kLaunchFailed + callFailure("fcntl", errno));
    writeEnd.reset(moved);
  }

  pid_t pid = 0;
  int spawnError = spawnTool(executable, arguments, writeEnd.get(), pid);
  writeEnd.reset();
  if (spawnError != 0) return unreadable(kLaunchFailed + callFailure("posix_spawn", spawnError));

  Child child(pid);
  const Clock::time_point start = Clock::now();
  auto at = [start](double seconds) {
    return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  };
  const Clock::time_point terminateAt = at(limits.terminateAfterSeconds);
  const Clock::time_point killAt = at(limits.killAfterSeconds);
  const Clock::time_point giveUpAt = at(limits.giveUpAfterSeconds);

  std::string output;
  bool readDone = false, tooLarge = false, termSent = false, killSent = false, timedOut = false;
  int readError = 0;
  std::vector<char> buffer(64 * 1024);

  for (;;) {
    child.hasExited();
    if (readDone && child.hasExited()) break;
    Clock::time_point now = Clock::now();
    if (now >= giveUpAt) break;
    // The watchdog: ask a tool that is still running to stop, then kill it.
    if (!termSent && now >= terminateAt) {
      termSent = true;
      if (!child.hasExited()) {
        timedOut = true;
        child.signalGroup(SIGTERM);
      }
    }
    if (timedOut && !killSent && now >= killAt) {
      killSent = true;
      if (!child.hasExited()) child.signalGroup(SIGKILL);
    }

    Clock::time_point next = !termSent ? terminateAt : (timedOut && !killSent) ? killAt : giveUpAt;
    int timeout = millisecondsUntil(next, now);
    pollfd watch[2];
    nfds_t count = 0;
    if (!readDone) watch[count++] = {readEnd.get(), POLLIN, 0};
    if (!child.hasExited()) {
      if (child.exitFd() >= 0) {
        watch[count++] = {child.exitFd(), POLLIN, 0};
      } else {
        timeout = std::min(timeout, 10);  // no process descriptor: look again shortly
      }
    }
    if (::poll(watch, count, timeout) < 0 && errno != EINTR) {
      readError = errno;
      readDone = true;
    }
    if (!readDone && watch[0].revents != 0) {
      ssize_t got = ::read(readEnd.get(), buffer.data(), buffer.size());
      if (got > 0) {
        if (output.size() + static_cast<size_t>(got) > limits.maxOutputBytes) {
          tooLarge = readDone = true;
        } else {
          output.append(buffer.data(), static_cast<size_t>(got));
        }
      } else if (got == 0) {
        readDone = true;
      } else if (errno != EINTR && errno != EAGAIN) {
        readError = errno;
        readDone = true;
      }
      if ((tooLarge || readError != 0) && !killSent) {
        killSent = true;
        child.signalGroup(SIGKILL);
      }
    }
  }
  readEnd.reset();

  if (!child.hasExited()) {
    child.signalGroup(SIGKILL);
    child.reapLater();
    if (readError != 0) return unreadable(kReadFailed + callFailure("read", readError));
    return unreadable(kNotFinished);
  }
  // The tool is gone but something it started still holds the output open: stop it too.
  if (!readDone) child.signalGroup(SIGKILL);
  int status = 0;
  bool collected = child.reap(status);

  if (readError != 0) return unreadable(kReadFailed + callFailure("read", readError));
  if (tooLarge) {
    return unreadable(kReadFailed + "çıktı " + std::to_string(limits.maxOutputBytes) + " bayt sınırını aştı");
  }
  if (!readDone || !collected) return unreadable(kNotFinished);
  if (timedOut) {
    return unreadable("nettop " + std::to_string(static_cast<long long>(limits.terminateAfterSeconds)) + " sn içinde bitmedi, sonlandırıldı");
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return output;
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? WTERMSIG(status) : status;
  return unreadable("nettop çıkış kodu " + std::to_string(code));
}

}  // namespace kovra
