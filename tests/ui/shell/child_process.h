#pragma once
// A program run by a test in its own process group, with its output collected; whatever is
// still running when the object goes is killed with its whole group.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kovra::ui::testing {

struct ChildOutcome {
  bool exited = false;  // false: killed by a signal (or by us after the limit)
  int status = -1;      // exit status when exited
  std::string out;
  std::string err;
};

class ChildProcess {
 public:
  // `environment` replaces the variables it names (an empty optional removes one).
  ChildProcess(std::vector<std::string> arguments, const std::map<std::string, std::optional<std::string>>& environment);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  void signal(int signalNumber);
  // Collects output until the program ends; after `limit` the group is killed (a hung program
  // fails the test instead of hanging it).
  ChildOutcome wait(std::chrono::seconds limit = std::chrono::seconds(60));
  // Output read so far, without waiting for the end.
  const std::string& errSoFar();
  const std::string& outSoFar();
  // Waits (up to `limit`) until standard output holds a whole line; returns the first one.
  std::string firstLine(std::chrono::seconds limit);
  bool running();

 private:
  void drain(bool block, int timeoutMs);

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  std::string err_;
  std::optional<int> waitStatus_;
};

// A private session bus for one test: `dbus-daemon --session`, killed at the end.
class PrivateBus {
 public:
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;
  const std::string& address() const { return address_; }
  bool ok() const { return !address_.empty(); }

 private:
  ChildProcess* daemon_ = nullptr;
  std::string address_;
};

}  // namespace kovra::ui::testing
