#include "core/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kovra {
namespace {

const std::string dash = "\u2014";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FormatGrouped, InsertsDotsEveryThreeDigits) {
  EXPECT_EQ(Format::grouped(0), "0");
  EXPECT_EQ(Format::grouped(999), "999");
  EXPECT_EQ(Format::grouped(1000), "1.000");
  EXPECT_EQ(Format::grouped(1234), "1.234");
  EXPECT_EQ(Format::grouped(12345), "12.345");
  EXPECT_EQ(Format::grouped(123456789), "123.456.789");
  EXPECT_EQ(Format::grouped(999999999999999), "999.999.999.999.999");
}

TEST(FormatWholeNumber, RoundsHalfAwayAndRejectsUnshowable) {
  EXPECT_EQ(Format::wholeNumber(2.5), "3");
  EXPECT_EQ(Format::wholeNumber(-0.4), "0");
  EXPECT_EQ(Format::wholeNumber(-0.0), "0");
  EXPECT_EQ(Format::wholeNumber(-0.6), std::nullopt);
  EXPECT_EQ(Format::wholeNumber(1e15), std::nullopt);
  EXPECT_EQ(Format::wholeNumber(1e15 - 1), "999.999.999.999.999");
  EXPECT_EQ(Format::wholeNumber(kNaN), std::nullopt);
  EXPECT_EQ(Format::wholeNumber(kInf), std::nullopt);
}

TEST(FormatOneDecimal, KeepsOrDropsTheTenth) {
  EXPECT_EQ(Format::oneDecimal(2.04, false), "2,0");
  EXPECT_EQ(Format::oneDecimal(2.04, true), "2");
  EXPECT_EQ(Format::oneDecimal(12345.67, false), "12.345,7");
  EXPECT_EQ(Format::oneDecimal(0.05, false), "0,1");
  EXPECT_EQ(Format::oneDecimal(-1, false), std::nullopt);
  EXPECT_EQ(Format::oneDecimal(kNaN, true), std::nullopt);
}

TEST(FormatMemory, BinaryUnits) {
  const double mib = 1048576.0, gib = 1073741824.0;
  EXPECT_EQ(Format::memoryText(0), "0 MB");
  EXPECT_EQ(Format::memoryText(500 * mib), "500 MB");
  EXPECT_EQ(Format::memoryText(gib - 741), "1,0 GB");  // rounds to 1024 MB
  EXPECT_EQ(Format::memoryText(8 * gib), "8,0 GB");
  EXPECT_EQ(Format::memoryText(1.55 * gib), "1,6 GB");
  EXPECT_EQ(Format::memoryText(-5 * mib), dash);
  EXPECT_EQ(Format::memoryText(kNaN), dash);
  EXPECT_EQ(Format::memoryText(kInf), dash);
}

TEST(FormatStorage, DecimalUnits) {
  EXPECT_EQ(Format::storageText(999.4e6), "999 MB");
  EXPECT_EQ(Format::storageText(999.6e6), "1 GB");
  EXPECT_EQ(Format::storageText(245.3e9), "245 GB");
  EXPECT_EQ(Format::storageText(1.5e12), "1,5 TB");
  EXPECT_EQ(Format::storageText(2e12), "2 TB");
  EXPECT_EQ(Format::storageText(1e12 - 1), "1 TB");
  EXPECT_EQ(Format::storageText(0), "0 MB");
  EXPECT_EQ(Format::storageText(-1e9), dash);
  EXPECT_EQ(Format::storageText(kNaN), dash);
}

TEST(FormatRate, BytesAndBits) {
  EXPECT_EQ(Format::rate(999.4e3, RateUnit::bytes), "999 KB/s");
  EXPECT_EQ(Format::rate(999.6e3, RateUnit::bytes), "1,0 MB/s");
  EXPECT_EQ(Format::rate(12.34e6, RateUnit::bytes), "12,3 MB/s");
  EXPECT_EQ(Format::rate(999.96e6, RateUnit::bytes), "1,0 GB/s");
  EXPECT_EQ(Format::rate(0, RateUnit::bytes), "0 KB/s");
  EXPECT_EQ(Format::rate(0, RateUnit::bits), "0 Kbps");
  EXPECT_EQ(Format::rate(125e3, RateUnit::bits), "1,0 Mbps");
  EXPECT_EQ(Format::rate(50e3, RateUnit::bits), "400 Kbps");
  EXPECT_EQ(Format::rate(-1, RateUnit::bytes), dash);
  EXPECT_EQ(Format::rate(kNaN, RateUnit::bits), dash);
  EXPECT_EQ(Format::rate(kInf, RateUnit::bytes), dash);
  EXPECT_EQ(Format::rateText(2e25, "k", "m", "g"), dash);
  EXPECT_EQ(Format::rateText(2e18, "k", "m", "g"), "2.000.000.000,0 g");
}

TEST(FormatPercent, SignBeforeNumber) {
  EXPECT_EQ(Format::percent(0.456), "%46");
  EXPECT_EQ(Format::percent(1.0), "%100");
  EXPECT_EQ(Format::percent(0.004), "%0");
  EXPECT_EQ(Format::percent(0.005), "%1");
  EXPECT_EQ(Format::percent(std::nullopt), dash);
  EXPECT_EQ(Format::percent(-0.1), dash);
  EXPECT_EQ(Format::percent(kNaN), dash);
}

TEST(FormatDuration, HoursAndMinutes) {
  EXPECT_EQ(Format::duration(0), "0 dk");
  EXPECT_EQ(Format::duration(59), "59 dk");
  EXPECT_EQ(Format::duration(60), "1 sa");
  EXPECT_EQ(Format::duration(61), "1 sa 1 dk");
  EXPECT_EQ(Format::duration(135), "2 sa 15 dk");
  EXPECT_EQ(Format::duration(120), "2 sa");
  EXPECT_EQ(Format::duration(60000), "1.000 sa");
  EXPECT_EQ(Format::duration(-5), dash);
  EXPECT_EQ(Format::duration(std::nullopt), dash);
}

TEST(RateUnitRaw, OnlyExactTexts) {
  EXPECT_EQ(rateUnitFromRaw("bits"), RateUnit::bits);
  EXPECT_EQ(rateUnitFromRaw("bytes"), RateUnit::bytes);
  EXPECT_EQ(rateUnitFromRaw("Bits"), std::nullopt);
  EXPECT_EQ(rawValue(RateUnit::bits), "bits");
}

}  // namespace
}  // namespace kovra
