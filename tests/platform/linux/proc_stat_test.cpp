#include "platform/linux/proc_stat.h"

#include <gtest/gtest.h>

#include "platform/linux/proc_table.h"

namespace kovra::linux_proc {
namespace {

std::string statLine(const std::string& comm, const std::string& tail14to22) {
  return "1234 (" + comm + ") S 77 1234 1234 0 -1 4194560 10 0 0 0 " + tail14to22 + " 0 0 0\n";
}

TEST(ProcStat, FieldsAreReadAfterTheLastParenthesis) {
  const std::string text = statLine("a) b) (c", "150 25 0 0 20 0 1 0 98765");
  auto s = parseProcStat(text);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->comm, "a) b) (c");
  EXPECT_EQ(s->state, 'S');
  EXPECT_EQ(s->ppid, 77);
  EXPECT_EQ(s->utime, 150u);
  EXPECT_EQ(s->stime, 25u);
  EXPECT_EQ(s->startTime, 98765u);
  EXPECT_EQ(s->flags, 4194560u);

  auto kthread = parseProcStat("2 (kworker/0:1-events) I 2 0 0 0 -1 69238880 0 0 0 0 0 3 0 0 20 0 1 0 42 0 0");
  ASSERT_TRUE(kthread);
  EXPECT_TRUE(kthread->flags & kKernelThreadFlag);
  EXPECT_EQ(kthread->comm, "kworker/0:1-events");
}

TEST(ProcStat, MalformedTextIsRefused) {
  EXPECT_FALSE(parseProcStat(""));
  EXPECT_FALSE(parseProcStat("1234 (x S 1 2 3"));
  EXPECT_FALSE(parseProcStat(") ( S 1"));
  EXPECT_FALSE(parseProcStat("1 (x) S 1 1 1 0 -1 0 0 0 0 0 1 2 0 0 20 0 1 0"));  // ends before field 22
  EXPECT_FALSE(parseProcStat(statLine("x", "-5 25 0 0 20 0 1 0 1")));           // negative ticks
  EXPECT_FALSE(parseProcStat(statLine("x", "99999999999999999999999 0 0 0 20 0 1 0 1")));  // overflow
  EXPECT_FALSE(parseProcStat("1 (x) SS 1 1 1 0 -1 0 0 0 0 0 1 2 0 0 20 0 1 0 5"));
}

TEST(ProcStat, StatmStatusAndEnviron) {
  auto m = parseProcStatm("2000 700 300 10 0 500 0\n");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->resident, 700u);
  EXPECT_EQ(m->shared, 300u);
  EXPECT_FALSE(parseProcStatm("2000 700"));
  EXPECT_FALSE(parseProcStatm("2000 x 300"));

  EXPECT_EQ(parseStatusRealUid("Name:\tbash\nUid:\t1000\t0\t0\t0\nGid:\t5\n"), 1000u);
  EXPECT_FALSE(parseStatusRealUid("Name:\tbash\nGid:\t5\n"));
  EXPECT_FALSE(parseStatusRealUid("Uid:\t99999999999\n"));

  using namespace std::string_view_literals;
  auto env = "A=1\0GIO_LAUNCHED_DESKTOP_FILE_PID=42\0GIO_LAUNCHED_DESKTOP_FILE=/x.desktop\0"sv;
  EXPECT_EQ(environValue(env, "GIO_LAUNCHED_DESKTOP_FILE"), "/x.desktop");
  EXPECT_EQ(environValue(env, "GIO_LAUNCHED_DESKTOP_FILE_PID"), "42");
  EXPECT_FALSE(environValue(env, "GIO"));
  EXPECT_EQ(environValue("NOEND=x"sv, "NOEND"), "x");
}

TEST(ProcStat, ReadingJoinsBothFiles) {
  ProcReading r;
  ASSERT_TRUE(fillReading(statLine("prog", "150 25 0 0 20 0 1 0 777"), "10 8 3 0 0 0 0", r));
  EXPECT_EQ(r.cpuTicks, 175u);
  EXPECT_EQ(r.startTime, 777u);
  EXPECT_EQ(r.name(), "prog");
  EXPECT_EQ(r.residentPages - r.sharedPages, 5u);
  EXPECT_FALSE(fillReading(statLine("prog", "150 25 0 0 20 0 1 0 777"), "", r));
}

TEST(ProcStat, TheEnvironmentRangeIsReadWhenTheLineHasIt) {
  // Fields 1-22, then 23-49 numbered by their position, then 50 and 51 and one more.
  std::string line = "1234 (a b) S 77 1234 1234 0 -1 4194560 10 0 0 0 150 25 0 0 20 0 1 0 98765";
  for (int field = 23; field <= 49; ++field) line += " " + std::to_string(field);
  auto full = parseProcStat(line + " 140737488347000 140737488351000 0\n");
  ASSERT_TRUE(full);
  EXPECT_TRUE(full->hasEnvRange);
  EXPECT_EQ(full->envStart, 140737488347000u);
  EXPECT_EQ(full->envEnd, 140737488351000u);
  EXPECT_EQ(full->startTime, 98765u);

  // The kernel's zeros for a process the reader may not look into.
  auto hidden = parseProcStat(line + " 0 0 0\n");
  ASSERT_TRUE(hidden);
  EXPECT_TRUE(hidden->hasEnvRange);
  EXPECT_EQ(hidden->envEnd, 0u);

  // Older kernels end before field 50; the rest of the line still counts.
  for (const std::string& shorter : {line + "\n", line + " 5\n", statLine("x", "1 2 0 0 20 0 1 0 7")}) {
    auto s = parseProcStat(shorter);
    ASSERT_TRUE(s) << shorter;
    EXPECT_FALSE(s->hasEnvRange) << shorter;
    EXPECT_EQ(s->envStart, 0u);
  }
  auto garbled = parseProcStat(line + " 12 x\n");
  ASSERT_TRUE(garbled);
  EXPECT_FALSE(garbled->hasEnvRange);
  EXPECT_EQ(garbled->envStart, 0u);
}

}  // namespace
}  // namespace kovra::linux_proc
