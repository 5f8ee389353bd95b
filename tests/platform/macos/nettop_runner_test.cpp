// The tool runner against real stand-in programs: exit codes, signals, a missing program, a tool
// that hangs, one that floods its output, one whose helper keeps the output open. After every
// test no child is left unreaped and no descriptor is left open.
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/macos/nettop_runner.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

int openDescriptorCount() {
  int count = 0;
  DIR* d = ::opendir("/proc/self/fd");
  if (d == nullptr) return -1;
  while (const dirent* e = ::readdir(d)) count += e->d_name[0] != '.';
  ::closedir(d);
  return count - 1;  // the listing's own descriptor
}

class ProcessNetworkRunner : public ::testing::Test {
 protected:
  void SetUp() override { descriptorsBefore_ = openDescriptorCount(); }
  void TearDown() override {
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore_);
    int status = 0;
    EXPECT_LE(::waitpid(-1, &status, WNOHANG), 0) << "a child was left unreaped";
  }

  std::string script(const std::string& name, const std::string& body) {
    std::string path = dir_.write(name, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
  }

  struct Timed {
    Result<std::string, SamplerError> result;
    double seconds;
  };
  Timed run(const std::string& executable, const std::vector<std::string>& args = nettopArguments(),
            const ToolLimits& limits = {}) {
    auto start = std::chrono::steady_clock::now();
    auto result = runNettopTool(executable, args, limits);
    return {std::move(result), std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
  }
  Timed runScaled(const std::string& executable) { return run(executable, nettopArguments(), kShort); }

  // The watchdog's steps scaled down: what matters is which step ends the tool, not the seconds.
  // The first leaves a busy machine time enough to start a shell.
  static constexpr ToolLimits kShort{1.0, 1.5, 2.0, size_t{16} << 20};

  testing::TempDir dir_;
  int descriptorsBefore_ = 0;
};

TEST_F(ProcessNetworkRunner, PassesTheCommandLineAndReturnsTheOutput) {
  std::string argsFile = dir_.at("args");
  auto r = run(script("tool", "printf '%s\\n' \"$@\" > " + argsFile + "\nprintf ',bytes_in,bytes_out,\\nx.1,2,3,\\n'\n"));
  ASSERT_TRUE(r.result) << r.result.error().message();
  EXPECT_EQ(*r.result, ",bytes_in,bytes_out,\nx.1,2,3,\n");
  std::ifstream in(argsFile);
  std::stringstream args;
  args << in.rdbuf();
  EXPECT_EQ(args.str(), "-P\n-L\n1\n-x\n-n\n-t\nexternal\n-J\nbytes_in,bytes_out\n");
}

TEST_F(ProcessNetworkRunner, ToolSeesOnlyTheNullDeviceAndItsOutputPipe) {
  // ls lists its own descriptors: 0 and 2 on the null device, 1 the pipe, 3 the listing itself.
  auto r = run("/bin/ls", {"-l", "/proc/self/fd/"});
  ASSERT_TRUE(r.result) << r.result.error().message();
  std::istringstream lines(*r.result);
  std::string line;
  std::vector<std::string> fds;
  while (std::getline(lines, line)) {
    auto arrow = line.find(" -> ");
    if (arrow == std::string::npos) continue;
    std::string target = line.substr(arrow + 4);
    std::string fd = line.substr(line.rfind(' ', arrow - 1) + 1, arrow - line.rfind(' ', arrow - 1) - 1);
    fds.push_back(fd);
    if (fd == "0" || fd == "2") {
      EXPECT_EQ(target, "/dev/null");
    }
    if (fd == "1") {
      EXPECT_TRUE(target.starts_with("pipe:")) << target;
    }
  }
  EXPECT_EQ(fds, (std::vector<std::string>{"0", "1", "2", "3"}));
}

TEST_F(ProcessNetworkRunner, ExitStatusAndSignals) {
  EXPECT_EQ(run(script("three", "echo ,bytes_in,bytes_out\nexit 3\n")).result.error().message(),
            "nettop çıkış kodu 3");
  EXPECT_EQ(run(script("killed", "kill -9 $$\n")).result.error().message(), "nettop çıkış kodu 9");
}

TEST_F(ProcessNetworkRunner, MissingOrUnrunnableExecutable) {
  EXPECT_EQ(run(dir_.at("absent")).result.error().message(),
            "nettop başlatılamadı: posix_spawn: No such file or directory");
  std::string plain = dir_.write("not-executable", "#!/bin/sh\n");
  EXPECT_EQ(run(plain).result.error().message(), "nettop başlatılamadı: posix_spawn: Permission denied");
}

TEST_F(ProcessNetworkRunner, HangingToolIsAskedToStopAtTheFirstLimit) {
  auto r = runScaled(script("hang", "echo ,bytes_in,bytes_out,\nsleep 30\n"));
  // The message names the limit in whole seconds.
  EXPECT_EQ(r.result.error().message(), "nettop 1 sn içinde bitmedi, sonlandırıldı");
  EXPECT_GE(r.seconds, kShort.terminateAfterSeconds);
}

TEST_F(ProcessNetworkRunner, ToolIgnoringTerminateIsKilledAtTheSecondLimit) {
  // Had the kill not ended it, the caller would have been released with "nettop sonlanmadı".
  const std::string armed = dir_.at("armed");
  auto r = runScaled(script("stubborn", "trap '' TERM\n: > " + armed + "\nsleep 30\n"));
  EXPECT_EQ(r.result.error().message(), "nettop 1 sn içinde bitmedi, sonlandırıldı");
  ASSERT_TRUE(std::ifstream(armed).good()) << "the tool was stopped before it could ignore the request";
  EXPECT_GE(r.seconds, kShort.killAfterSeconds);
}

TEST_F(ProcessNetworkRunner, CallerIsFreedAtTheLastLimitWhenAHelperKeepsTheOutputOpen) {
  // The tool exits at once, but a helper in its own session still holds the pipe.
  std::string pidFile = dir_.at("helper.pid");
  auto r = runScaled(script("leaky", "setsid sh -c 'echo $$ > " + pidFile + ".new; mv " + pidFile + ".new " + pidFile +
                                         "; exec sleep 30' &\necho ,bytes_in,bytes_out,\n"));
  EXPECT_EQ(r.result.error().message(), "nettop sonlanmadı");
  EXPECT_GE(r.seconds, kShort.giveUpAfterSeconds);
  // The helper is out of the tool's reach (its own session): end it here.
  int helper = 0;
  for (int i = 0; i < 500 && helper <= 0; ++i) {
    std::ifstream(pidFile) >> helper;
    if (helper <= 0) ::usleep(10'000);
  }
  ASSERT_GT(helper, 0);
  ::kill(helper, SIGKILL);
}

TEST_F(ProcessNetworkRunner, FloodingToolIsCutOffNotBuffered) {
  // A smaller limit and a late watchdog: the size, not the time, must end it.
  auto r = run(script("flood", "exec yes 'some.process.123,4567,8901,'\n"), nettopArguments(),
               ToolLimits{20.0, 21.0, 22.0, size_t{1} << 20});
  ASSERT_FALSE(r.result);
  EXPECT_EQ(r.result.error().message(), "nettop çıktısı okunamadı: çıktı 1048576 bayt sınırını aştı");
}

TEST_F(ProcessNetworkRunner, ThousandRunsLeaveNoZombieAndNoDescriptor) {
  std::string tool = script("quick", "echo ,bytes_in,bytes_out,\n");
  for (int i = 0; i < 1000; ++i) {
    auto r = runNettopTool(tool, nettopArguments());
    ASSERT_TRUE(r) << i << ": " << r.error().message();
  }
  // TearDown counts the descriptors and looks for unreaped children.
}

}  // namespace
}  // namespace kovra
