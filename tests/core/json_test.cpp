#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/json_writer.h"
#include "core/records_json.h"
#include "core/utf8.h"

namespace kovra {
namespace {

std::string encode(const Json& j) {
  auto r = encodePrettySorted(j);
  EXPECT_TRUE(r.ok());
  return r.ok() ? r.value() : std::string();
}

TEST(JsonWriter, PrettyPrintsWithSpacedColonsAndTwoSpaceIndent) {
  Json j = {{"b", 1}, {"a", Json::array({true, nullptr})}, {"c", Json::object()}, {"d", Json::array()}};
  EXPECT_EQ(encode(j),
            "{\n"
            "  \"a\" : [\n"
            "    true,\n"
            "    null\n"
            "  ],\n"
            "  \"b\" : 1,\n"
            "  \"c\" : {},\n"
            "  \"d\" : []\n"
            "}");
}

TEST(JsonWriter, SortsKeysCaseInsensitivelyWithNumericDigitRuns) {
  Json j = {{"processNetwork", 1}, {"processes", 2}, {"Zeta", 3}, {"alpha", 4}, {"item10", 5}, {"item9", 6}};
  std::string out = encode(j);
  auto pos = [&](const char* k) { return out.find(std::string("\"") + k + "\""); };
  EXPECT_LT(pos("alpha"), pos("item9"));
  EXPECT_LT(pos("item9"), pos("item10"));
  EXPECT_LT(pos("item10"), pos("processes"));
  EXPECT_LT(pos("processes"), pos("processNetwork"));
  EXPECT_LT(pos("processNetwork"), pos("Zeta"));
  // Nested objects are sorted too.
  EXPECT_EQ(encode(Json{{"o", {{"y", 1}, {"X", 2}}}}), "{\n  \"o\" : {\n    \"X\" : 2,\n    \"y\" : 1\n  }\n}");
}

TEST(JsonWriter, KeyOrderIsTotal) {
  EXPECT_LT(compareKeys("a", "B"), 0);
  EXPECT_GT(compareKeys("b", "A"), 0);
  EXPECT_NE(compareKeys("a", "A"), 0);
  EXPECT_EQ(compareKeys("a", "a"), 0);
  EXPECT_LT(compareKeys("x2", "x10"), 0);
  EXPECT_NE(compareKeys("x01", "x1"), 0);
  EXPECT_LT(compareKeys("ab", "abc"), 0);
}

TEST(JsonWriter, EscapesSlashesQuotesAndControlCharacters) {
  EXPECT_EQ(encode(Json("/usr/share/a b")), "\"\\/usr\\/share\\/a b\"");
  EXPECT_EQ(encode(Json("q\"\\\n\t\x01")), "\"q\\\"\\\\\\n\\t\\u0001\"");
  EXPECT_EQ(encode(Json("Türkçe — ğ")), "\"Türkçe — ğ\"");
}

TEST(JsonWriter, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(encode(Json(std::string("a\xff" "b"))), "\"a\xEF\xBF\xBD" "b\"");
  EXPECT_EQ(sanitizeUtf8("\xC0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(JsonWriter, DoublesRoundTripInShortestForm) {
  EXPECT_EQ(encode(Json(0.1)), "0.1");
  EXPECT_EQ(encode(Json(1.0)), "1");
  EXPECT_EQ(encode(Json(-7.5)), "-7.5");
  for (double d : {0.1 + 0.2, 1e300, 5e-324, 123456.789}) {
    EXPECT_EQ(Json::parse(encode(Json(d))).get<double>(), d);
  }
  EXPECT_EQ(encode(Json(uint64_t{18446744073709551615ull})), "18446744073709551615");
  EXPECT_EQ(encode(Json(int64_t{-5})), "-5");
}

TEST(JsonWriter, NonFiniteDoubleAnywhereFailsTheEncoding) {
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
    Json j = {{"a", {{"deep", Json::array({1, bad})}}}};
    auto r = encodePrettySorted(j);
    ASSERT_FALSE(r.ok());
    EXPECT_FALSE(r.error().description.empty());
  }
}

TEST(RecordsJson, AbsentOptionalsAreLeftOut) {
  MemorySnapshot m{100, 10, 20, 30, 40, std::nullopt, std::nullopt};
  Json j = toJson(m);
  EXPECT_FALSE(j.contains("pressure"));
  EXPECT_FALSE(j.contains("swap"));
  EXPECT_EQ(j["totalBytes"], 100u);

  Verdict v{std::nullopt, Severity::warning, "Bellek dolmak üzere"};
  Json vj = toJson(v);
  EXPECT_FALSE(vj.contains("card"));
  EXPECT_EQ(vj["severity"], 2);
}

TEST(RecordsJson, EnumsByRawValue) {
  MemorySnapshot m{1, 1, 0, 0, 0, MemoryPressure::critical, SwapUsage{5, 2}};
  EXPECT_EQ(toJson(m)["pressure"], 4);
  NetworkSnapshot n{1, 2, 3, 4, ConnectionKind::ethernet, "eth0", std::nullopt};
  EXPECT_EQ(toJson(n)["connection"], "ethernet");
  EXPECT_EQ(toJson(Verdict{CardKind::disk, Severity::ok, "x"})["card"], "disk");
}

TEST(RecordsJson, RoundTripsEveryWrittenRecord) {
  ProcessListSnapshot p{{AppUsage{"/a/b.desktop", "B", AppGroupKind::app, "/a/b.desktop", "b", 10, 0.25,
                                  {ProcessEntry{7, "b", 10, std::nullopt}}, true}},
                        3};
  EXPECT_EQ(fromJson<ProcessListSnapshot>(toJson(p)), p);
  BatterySnapshot b{0.5, true, true, false, 12.5, 30.0, 65, std::nullopt, 100};
  EXPECT_EQ(fromJson<BatterySnapshot>(toJson(b)), b);
  NetworkSnapshot n{1.5, 2.5, 3, 4, ConnectionKind::wifi, "wlan0", "10.0.0.2"};
  EXPECT_EQ(fromJson<NetworkSnapshot>(toJson(n)), n);
  AppNetworkUsage a{"system", "Sistem", AppGroupKind::system, std::nullopt, 1, 2, 3, 4};
  EXPECT_EQ(fromJson<AppNetworkUsage>(toJson(a)), a);
  ProcessNetworkSnapshot pn{{ProcessNetworkEntry{1, "x", 1, 2, 3, 4}}};
  EXPECT_EQ(fromJson<ProcessNetworkSnapshot>(toJson(pn)), pn);
}

TEST(RecordsJson, ReadingAcceptsMissingOptionalsAndRejectsWrongTypes) {
  auto m = fromJson<MemorySnapshot>(Json::parse(
      R"({"totalBytes":1,"appBytes":2,"wiredBytes":3,"compressedBytes":4,"cachedBytes":5})"));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->pressure, std::nullopt);
  // Missing required key.
  EXPECT_FALSE(fromJson<SwapUsage>(Json::parse(R"({"totalBytes":1})")));
  // Negative count, wrong type, unknown enum raw value, pressure 3.
  EXPECT_FALSE(fromJson<SwapUsage>(Json::parse(R"({"totalBytes":-1,"usedBytes":0})")));
  EXPECT_FALSE(fromJson<SwapUsage>(Json::parse(R"({"totalBytes":"1","usedBytes":0})")));
  EXPECT_FALSE(fromJson<Verdict>(Json::parse(R"({"severity":7,"sentence":"x"})")));
  EXPECT_FALSE(fromJson<MemorySnapshot>(Json::parse(
      R"({"totalBytes":1,"appBytes":2,"wiredBytes":3,"compressedBytes":4,"cachedBytes":5,"pressure":3})")));
  // Int32 out of range.
  EXPECT_FALSE(fromJson<ProcessEntry>(Json::parse(R"({"pid":4294967296,"name":"x","footprintBytes":1})")));
}

TEST(IsoDates, WholeSecondsUtcAndStrictParsing) {
  using namespace std::chrono;
  Date d = sys_days{year{2026} / 12 / 7} + hours{8} + minutes{5} + seconds{9} + milliseconds{999};
  EXPECT_EQ(isoDate(d), "2026-12-07T08:05:09Z");
  EXPECT_EQ(parseIsoDate("2026-12-07T08:05:09Z"), floor<seconds>(d));
  EXPECT_EQ(isoDate(Date{}), "1970-01-01T00:00:00Z");
  EXPECT_EQ(parseIsoDate("2026-02-30T00:00:00Z"), std::nullopt);
  EXPECT_EQ(parseIsoDate("2026-12-07 08:05:09Z"), std::nullopt);
  EXPECT_EQ(parseIsoDate("2026-12-07T08:05:09+01:00"), std::nullopt);
  EXPECT_EQ(parseIsoDate(""), std::nullopt);
}

}  // namespace
}  // namespace kovra
