#include <gtest/gtest.h>

#include "samplers/network/process_network_parser.h"

namespace kovra {
namespace {

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

TEST(ProcessNetworkParser, LinesBlanksDuplicatesAndSkips) {
  // CR LF, lone CR, NEL, line and paragraph separators all end a line; blank lines are ignored.
  std::string data =
      "\r\n   \n,bytes_in,bytes_out,\r\n"
      "a.1,1,1,\r"
      "b.2,2,2,\xc2\x85"
      "c.3,3,3,\xe2\x80\xa8"
      "garbage line\xe2\x80\xa9"
      "a.1,7,8,\n"
      " \t \n"
      "bad.0,1,1,\n";
  auto parsed = parseNettopOutput(data);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->rows.size(), 3u);
  EXPECT_EQ(parsed->rows.at(1), (NettopRow{1, "a", 7, 8}));  // the later row wins
  EXPECT_EQ(parsed->rows.at(3).name, "c");
  EXPECT_EQ(parsed->skippedLines, 2);
}

TEST(ProcessNetworkParser, InvalidUtf8IsReplacedNotRejected) {
  auto parsed = parseNettopOutput(",bytes_in,bytes_out,\nab\xff\xfe" "c.42,1,2,\n");
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->rows.count(42), 1u);
  EXPECT_EQ(parsed->rows.at(42).name, "ab\xef\xbf\xbd\xef\xbf\xbd" "c");
}

}  // namespace
}  // namespace kovra
