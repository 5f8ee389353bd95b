// A Linux process table laid out in a folder, read through the Linux platform and the sampler.

#include "platform/linux/linux_process_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "samplers/process/process_sampler.h"
#include "support/temp_dir.h"

namespace kovra {
namespace {

constexpr uint64_t kSecond = 1'000'000'000ULL;
constexpr uint32_t kKernelThread = 0x00200000;

struct FakeProc {
  testing::TempDir dir;

  // stat with the fields the table reads (parent, flags, user and system ticks, start time),
  // statm, cgroup and status.
  void add(int32_t pid, const std::string& comm, uint64_t utime, uint64_t stime, uint64_t start,
           uint64_t resident, uint64_t shared, const std::string& cgroup = "0::/user.slice/session-2.scope\n",
           uint32_t flags = 0x400100) const {
    const std::string p = std::to_string(pid);
    dir.write(p + "/stat", p + " (" + comm + ") S 1 1 1 0 -1 " + std::to_string(flags) + " 0 0 0 0 " +
                               std::to_string(utime) + " " + std::to_string(stime) + " 0 0 20 0 1 0 " +
                               std::to_string(start) + " 0 0\n");
    dir.write(p + "/statm", "1000 " + std::to_string(resident) + " " + std::to_string(shared) + " 1 0 1 0\n");
    dir.write(p + "/cgroup", cgroup);
    dir.write(p + "/status", "Name:\t" + comm + "\nUid:\t" + std::to_string(::getuid()) + "\t0\t0\t0\n");
  }
  void exe(int32_t pid, const std::string& target) const {
    auto link = std::filesystem::path(dir.at(std::to_string(pid))) / "exe";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(target, link);
  }
};

struct Rig {
  FakeProc proc;
  testing::TempDir apps;
  std::string desktop = apps.write("applications/org.kovra.Fake.desktop",
                                   "[Desktop Entry]\nType=Application\nName=Sahte\nExec=/opt/fake/bin/fake-app\n");
  linux_proc::DesktopIndex index{std::vector<std::string>{apps.at("applications")}};
  uint64_t now = 100 * kSecond;
  std::shared_ptr<linux_proc::LinuxProcessTable> table;
  std::unique_ptr<ProcessSampler> sampler;

  ProcessSampler& s() {
    if (!sampler) {
      table = std::make_shared<linux_proc::LinuxProcessTable>(proc.dir.path(), index, ::getuid(), 999999);
      sampler = std::make_unique<ProcessSampler>(table, 999999, [this] { return now; });
    }
    return *sampler;
  }
};

const AppUsage* find(const ProcessListSnapshot& s, const std::string& id) {
  for (const auto& a : s.apps) {
    if (a.id == id) return &a;
  }
  return nullptr;
}

const ProcessEntry* find(const AppUsage* app, int32_t pid) {
  if (!app) return nullptr;
  for (const auto& p : app->processes) {
    if (p.pid == pid) return &p;
  }
  return nullptr;
}

TEST(LinuxProcessTable, NamesGroupsMemoryAndSharesThroughTheSampler) {
  Rig rig;
  const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  const double tickNanos = 1e9 / static_cast<double>(::sysconf(_SC_CLK_TCK));
  const double cores = static_cast<double>(std::max(1L, ::sysconf(_SC_NPROCESSORS_ONLN)));
  rig.proc.add(10, "fake-app", 100, 50, 5000, 300, 100, "0::/user.slice/app-org.kovra.Fake-7.scope\n");
  rig.proc.exe(10, "/opt/fake/bin/fake-app");
  rig.proc.add(11, "kworker/0:1", 7, 0, 20, 0, 0, "0::/\n", kKernelThread);
  rig.proc.add(12, "daemon", 40, 0, 6000, 50, 80);  // more shared than resident: no private memory
  rig.proc.exe(12, "/usr/sbin/daemon (deleted)");
  rig.proc.add(13, "", 0, 0, 7000, 10, 0);
  rig.proc.add(14, "short", 0, 0, 8000, 10, 0);

  auto first = rig.s().sample();
  ASSERT_TRUE(first.ok()) << first.error().text();
  const AppUsage* app = find(*first, rig.desktop);
  ASSERT_TRUE(app);
  EXPECT_EQ(app->name, "Sahte");
  EXPECT_EQ(app->footprintBytes, 200 * page);
  ASSERT_EQ(app->processes.size(), 1u);
  EXPECT_EQ(app->processes[0].name, "fake-app");
  EXPECT_FALSE(app->processes[0].cpuFraction);  // no earlier reading
  const AppUsage* system = find(*first, "system");
  ASSERT_TRUE(system);
  EXPECT_EQ(find(system, 11)->name, "kworker/0:1");
  EXPECT_EQ(find(system, 12)->name, "daemon");
  EXPECT_EQ(find(system, 12)->footprintBytes, 0u);
  EXPECT_EQ(find(system, 13)->name, "13");
  EXPECT_EQ(system->footprintBytes, 20 * page);

  // A second later: 10 used 60 ticks, 12 ran another program, 13 started a new life with a
  // smaller counter, 14 has gone.
  rig.now += kSecond;
  rig.proc.add(10, "fake-app", 140, 70, 5000, 300, 100, "0::/user.slice/app-org.kovra.Fake-7.scope\n");
  rig.proc.add(12, "other", 50, 0, 6000, 50, 80);
  rig.proc.exe(12, "/usr/bin/other");
  rig.proc.add(13, "fresh", 0, 0, 7100, 10, 0);
  std::filesystem::remove_all(rig.proc.dir.at("14"));
  auto second = rig.s().sample();
  ASSERT_TRUE(second.ok()) << second.error().text();
  app = find(*second, rig.desktop);
  ASSERT_TRUE(app && app->cpuFraction);
  EXPECT_DOUBLE_EQ(*app->cpuFraction, 60 * tickNanos / (1e9 * cores));
  system = find(*second, "system");
  EXPECT_EQ(find(system, 12)->name, "other");
  EXPECT_DOUBLE_EQ(find(system, 12)->cpuFraction.value_or(-1), 10 * tickNanos / (1e9 * cores));
  EXPECT_EQ(find(system, 13)->name, "fresh");
  EXPECT_FALSE(find(system, 13)->cpuFraction);
  EXPECT_DOUBLE_EQ(find(system, 11)->cpuFraction.value_or(-1), 0.0);
  EXPECT_FALSE(find(system, 14));
  EXPECT_EQ(second->unreadableCount, 0);
}

TEST(LinuxProcessTable, ListsPastItsFirstBufferAndNamesTheCallThatFailed) {
  Rig many;
  for (int32_t pid = 1; pid <= 300; ++pid) {
    const std::string p = std::to_string(pid);
    many.proc.dir.write(p + "/stat", p + " (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 1 0 0\n");
    many.proc.dir.write(p + "/statm", "1 1 0 1 0 1 0\n");
  }
  auto all = many.s().sample();
  ASSERT_TRUE(all.ok());
  EXPECT_EQ(find(*all, "system")->processes.size(), 300u);

  Rig empty;
  EXPECT_EQ(empty.s().sample().error().message(), "getdents64 başarısız (errno 0)");

  Rig unreadable;
  unreadable.proc.dir.write("20/stat", "garbage");
  unreadable.proc.dir.write("21/cgroup", "");
  EXPECT_EQ(unreadable.s().sample().error().message(),
            "openat /proc/<pid>/statm: hiçbir süreç okunamadı (2 pid, 0 EACCES/EPERM)");

  linux_proc::DesktopIndex index{std::vector<std::string>{}};
  ProcessSampler missing(std::make_shared<linux_proc::LinuxProcessTable>("/nonexistent/proc", index, 0, 1), 1,
                         [] { return kSecond; });
  EXPECT_EQ(missing.sample().error().message(), "getdents64 başarısız (errno 2)");
}

}  // namespace
}  // namespace kovra
