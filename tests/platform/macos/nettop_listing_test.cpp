#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/macos/nettop_listing.h"

namespace kovra {
namespace {

// A listing as the tool writes one: names never hold a comma, a control or a line separator.
std::string render(const TrafficReading& reading, bool bytesInFirst) {
  std::string out = reading.partial ? ",partial" : "";
  out += bytesInFirst ? ",bytes_in,bytes_out,\n" : ",bytes_out,bytes_in,\n";
  for (const ProcessTraffic& t : reading.processes) {
    uint64_t first = bytesInFirst ? t.bytesReceived : t.bytesSent;
    uint64_t second = bytesInFirst ? t.bytesSent : t.bytesReceived;
    out += listingName(t.name) + "." + std::to_string(t.pid) + "," + std::to_string(first) + "," +
           std::to_string(second) + ",\n";
  }
  return out;
}

std::string errorOf(std::string_view data) {
  auto r = parseNettopOutput(data);
  return r ? std::string("(no error)") : r.error().message();
}

TEST(ProcessNetworkParser, HeaderDecidesColumnOrder) {
  EXPECT_EQ(nettopHeaderOrder(",bytes_in,bytes_out,").value(), true);
  EXPECT_EQ(nettopHeaderOrder(", time ,\tbytes_out , bytes_in,,").value(), false);

  auto parsed = parseNettopOutput(",bytes_out,bytes_in,\nx.5,10,20,\n");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->rows.at(5), (NettopRow{5, "x", 20, 10}));
}

TEST(ProcessNetworkParser, MissingOrUnexpectedHeaderFails) {
  EXPECT_EQ(errorOf("bytes_in,bytes_out\nx.1,1,2\n"), "nettop başlık satırı yok");
  EXPECT_EQ(errorOf(",time,bytes_in\n"), "nettop başlığı beklenmedik: ,time,bytes_in");
  EXPECT_EQ(errorOf(",bytes_in\n"), "nettop başlığı beklenmedik: ,bytes_in");
  EXPECT_EQ(errorOf("\n \t\n\r\n\xe2\x80\xa8  \n"), "nettop başlık satırı yok");
  // A header made of two lines joined by a separator is not a header.
  EXPECT_EQ(errorOf("x\xc2\x85,bytes_in,bytes_out\n"), "nettop başlık satırı yok");
  EXPECT_EQ(errorOf(""), "nettop başlık satırı yok");
}

TEST(ProcessNetworkParser, RowShapes) {
  EXPECT_EQ(parseNettopRow("launchd.1,10,20,", true), (NettopRow{1, "launchd", 10, 20}));
  EXPECT_EQ(parseNettopRow("Some App H.123,5,6,", true), (NettopRow{123, "Some App H", 5, 6}));
  EXPECT_EQ(parseNettopRow("a.b.77,1,2", true), (NettopRow{77, "a.b", 1, 2}));
  EXPECT_EQ(parseNettopRow("we,ird.8,1,2, \t ,", true), (NettopRow{8, "we,ird", 1, 2}));
  EXPECT_EQ(parseNettopRow(".9,1,2", true), (NettopRow{9, "", 1, 2}));
  EXPECT_EQ(parseNettopRow("x.4,18446744073709551615,0", true), (NettopRow{4, "x", UINT64_MAX, 0}));

  for (std::string_view bad : {"x.0,1,2", "x.-5,1,2", "x.9, 1,2", "x.9,1 ,2", "x.9,1,", "x9,1,2", "x.,1,2",
                               "x.9,1", "x.9,-1,2", "x.9,1,2x", "x.2147483648,1,2", "x.9,18446744073709551616,1",
                               "x.9,0x1,2", ",,"}) {
    EXPECT_FALSE(parseNettopRow(bad, true)) << bad;
  }
}

TEST(ProcessNetworkParser, OnlyALineFeedEndsALine) {
  // CR LF ends a line; a lone CR, NEL, line and paragraph separators stay inside theirs.
  std::string data =
      "\r\n   \n,bytes_in,bytes_out,\r\n"
      "a.1,1,1,\r\n"
      "b\r.2,2,2,\n"
      "c\xc2\x85.3,3,3,\n"
      "d\xe2\x80\xa8x\xe2\x80\xa9.4,4,4,\n"
      "garbage line\n"
      " \t \n"
      "bad.0,1,1,\n";
  auto parsed = parseNettopOutput(data);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->rows.size(), 4u);
  EXPECT_EQ(parsed->rows.at(1), (NettopRow{1, "a", 1, 1}));
  // Controls and separators in a name are shown as "?".
  EXPECT_EQ(parsed->rows.at(2).name, "b?");
  EXPECT_EQ(parsed->rows.at(3).name, "c?");
  EXPECT_EQ(parsed->rows.at(4).name, "d?x?");
  EXPECT_EQ(parsed->skippedLines, 2);
  EXPECT_FALSE(parsed->partial);
}

TEST(ProcessNetworkParser, ANameCannotForgeAnotherProcesssRow) {
  // A process names itself "a.<victim>,7,7" + NEL + "x" and holds one connection; the victim,
  // listed first, really moved 12 MB.
  const std::string forged = ",bytes_in,bytes_out,\nvictim.100,12000000,0,\na.100,7,7\xc2\x85x.200,5,5,\n";
  auto parsed = parseNettopOutput(forged);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->rows.at(100), (NettopRow{100, "victim", 12000000, 0}));
  EXPECT_EQ(parsed->rows.at(200), (NettopRow{200, "a.100,7,7?x", 5, 5}));
  EXPECT_TRUE(parsed->conflicting.empty());

  // A producer that let a line feed through: two rows for one pid, and neither is believed,
  // whichever comes first.
  for (std::string data : {",bytes_in,bytes_out,\nvictim.100,12000000,0,\na.100,7,7,\nx.200,5,5,\n",
                           ",bytes_in,bytes_out,\na.100,7,7,\nx.50,5,5,\nvictim.100,12000000,0,\n"}) {
    parsed = parseNettopOutput(data);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->rows.count(100), 0u);
    EXPECT_EQ(parsed->conflicting, std::set<int32_t>{100});
    EXPECT_EQ(parsed->rows.size(), 1u);
    EXPECT_EQ(parsed->skippedLines, 2);
  }
  // The sampler is handed the pid twice, so it believes neither line either.
  const TrafficReading reading = trafficReading(*parsed);
  EXPECT_EQ(reading.processes.size(), 3u);
  EXPECT_EQ(std::count_if(reading.processes.begin(), reading.processes.end(), [](auto& p) { return p.pid == 100; }), 2);
  // A third line for the same pid is skipped too.
  parsed = parseNettopOutput(",bytes_in,bytes_out,\na.1,1,1,\na.1,1,1,\na.1,1,1,\n");
  ASSERT_TRUE(parsed);
  EXPECT_TRUE(parsed->rows.empty());
  EXPECT_EQ(parsed->skippedLines, 3);
}

TEST(ProcessNetworkParser, EveryNameTheToolWritesStaysInItsOwnRow) {
  // Names from every byte value, written as the tool writes them, read back one row each.
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string name;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) {
      // Bias towards the bytes that make up separators.
      static constexpr unsigned char kTricky[] = {'\n', '\r', ',', '.', 0xC2, 0x85, 0xE2, 0x80, 0xA8, 0xA9, 0x0B, 0x0C};
      name += static_cast<char>(random() % 2 ? kTricky[random() % sizeof kTricky] : random() % 256);
    }
    TrafficReading reading;
    reading.processes = {{7, name, 100, 200}, {8, "victim", 300, 400}};
    auto parsed = parseNettopOutput(render(reading, round % 2 == 0));
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->rows.size(), 2u) << ::testing::PrintToString(name);
    EXPECT_EQ(parsed->skippedLines, 0);
    EXPECT_EQ(parsed->rows.at(7), (NettopRow{7, listingName(name), 100, 200}));
    EXPECT_EQ(parsed->rows.at(8), (NettopRow{8, "victim", 300, 400}));
  }
}

TEST(ProcessNetworkParser, PartialHeader) {
  TrafficReading reading;
  reading.partial = true;
  reading.processes = {{3, "x", 1, 2}};
  EXPECT_EQ(render(reading, false), ",partial,bytes_out,bytes_in,\nx.3,2,1,\n");
  auto parsed = parseNettopOutput(render(reading, false));
  ASSERT_TRUE(parsed);
  EXPECT_TRUE(parsed->partial);
  EXPECT_EQ(parsed->rows.at(3), (NettopRow{3, "x", 1, 2}));
  // Only a column before the counters counts.
  EXPECT_FALSE(nettopHeaderIsPartial(",bytes_in,bytes_out,partial"));
  EXPECT_TRUE(nettopHeaderIsPartial(", time , partial ,bytes_in,bytes_out,"));
}

TEST(ProcessNetworkParser, InvalidUtf8IsReplacedNotRejected) {
  auto parsed = parseNettopOutput(",bytes_in,bytes_out,\nab\xff\xfe" "c.42,1,2,\n");
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->rows.count(42), 1u);
  EXPECT_EQ(parsed->rows.at(42).name, "ab\xef\xbf\xbd\xef\xbf\xbd" "c");
}

}  // namespace
}  // namespace kovra
