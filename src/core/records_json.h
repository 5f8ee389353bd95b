#pragma once
// JSON form of the records: every field under its own name, absent optionals left out, enums by
// raw value, dates as YYYY-MM-DDTHH:MM:SSZ. Reading accepts a missing key for an optional field.

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/records.h"
#include "core/result.h"

namespace kovra {

using Json = nlohmann::json;

// Dates in the written form: UTC, whole seconds.
std::string isoDate(Date d);
std::optional<Date> parseIsoDate(std::string_view text);

template <class C, class M>
struct FieldRef {
  const char* name;
  M C::*member;
};
template <class C, class M>
constexpr FieldRef<C, M> field(const char* name, M C::*member) { return {name, member}; }

// Each record written as JSON lists its fields here, in declaration order.
template <class T>
struct JsonFields;

#define KOVRA_JSON_FIELDS(Type, ...) \
  template <>                        \
  struct JsonFields<Type> {          \
    using R = Type;                  \
    static constexpr auto list = std::make_tuple(__VA_ARGS__); \
  };
#define KF(name) field(#name, &R::name)

KOVRA_JSON_FIELDS(SwapUsage, KF(totalBytes), KF(usedBytes))
KOVRA_JSON_FIELDS(MemorySnapshot, KF(totalBytes), KF(appBytes), KF(wiredBytes), KF(compressedBytes), KF(cachedBytes),
                  KF(pressure), KF(swap))
KOVRA_JSON_FIELDS(CPUSnapshot, KF(usage), KF(userFraction), KF(systemFraction), KF(coreCount))
KOVRA_JSON_FIELDS(NetworkSnapshot, KF(downloadBytesPerSecond), KF(uploadBytesPerSecond), KF(totalDownloadedBytes),
                  KF(totalUploadedBytes), KF(connection), KF(interfaceName), KF(localIP))
KOVRA_JSON_FIELDS(NetworkRates, KF(downloadBytesPerSecond), KF(uploadBytesPerSecond))
KOVRA_JSON_FIELDS(DiskSnapshot, KF(totalBytes), KF(availableBytes), KF(volumeName))
KOVRA_JSON_FIELDS(BatterySnapshot, KF(chargeFraction), KF(isPluggedIn), KF(isCharging), KF(isFullyCharged),
                  KF(batteryPowerWatts), KF(adapterInputWatts), KF(adapterRatedWatts), KF(timeRemainingMinutes),
                  KF(cycleCount))
KOVRA_JSON_FIELDS(ProcessEntry, KF(pid), KF(name), KF(footprintBytes), KF(cpuFraction))
KOVRA_JSON_FIELDS(AppUsage, KF(id), KF(name), KF(kind), KF(bundlePath), KF(bundleIdentifier), KF(footprintBytes),
                  KF(cpuFraction), KF(processes), KF(canTerminate))
KOVRA_JSON_FIELDS(ProcessListSnapshot, KF(apps), KF(unreadableCount))
KOVRA_JSON_FIELDS(ProcessNetworkEntry, KF(pid), KF(name), KF(downloadBytesPerSecond), KF(uploadBytesPerSecond),
                  KF(totalDownloadedBytes), KF(totalUploadedBytes))
KOVRA_JSON_FIELDS(ProcessNetworkSnapshot, KF(entries))
KOVRA_JSON_FIELDS(AppNetworkUsage, KF(id), KF(name), KF(kind), KF(bundlePath), KF(downloadBytesPerSecond),
                  KF(uploadBytesPerSecond), KF(totalDownloadedBytes), KF(totalUploadedBytes))
KOVRA_JSON_FIELDS(Verdict, KF(card), KF(severity), KF(sentence))

namespace json_detail {

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};
template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};
template <class T>
concept Record = requires { JsonFields<T>::list; };

// Enums whose raw value is text.
inline std::optional<ConnectionKind> enumFromRaw(ConnectionKind*, const Json& j) {
  return j.is_string() ? connectionKindFromRaw(j.get_ref<const std::string&>()) : std::nullopt;
}
inline std::optional<AppGroupKind> enumFromRaw(AppGroupKind*, const Json& j) {
  return j.is_string() ? appGroupKindFromRaw(j.get_ref<const std::string&>()) : std::nullopt;
}
inline std::optional<CardKind> enumFromRaw(CardKind*, const Json& j) {
  return j.is_string() ? cardKindFromRaw(j.get_ref<const std::string&>()) : std::nullopt;
}
inline std::optional<SeriesKind> enumFromRaw(SeriesKind*, const Json& j) {
  return j.is_string() ? seriesKindFromRaw(j.get_ref<const std::string&>()) : std::nullopt;
}
// Enums whose raw value is an integer.
inline std::optional<MemoryPressure> enumFromRaw(MemoryPressure*, const Json& j) {
  return j.is_number_integer() ? memoryPressureFromRaw(j.get<long long>()) : std::nullopt;
}
inline std::optional<Severity> enumFromRaw(Severity*, const Json& j) {
  return j.is_number_integer() ? severityFromRaw(j.get<long long>()) : std::nullopt;
}

template <class T>
Json write(const T& v);

template <Record T>
Json writeRecord(const T& r) {
  Json obj = Json::object();
  std::apply(
      [&](const auto&... f) {
        auto one = [&](const auto& fr) {
          const auto& value = r.*(fr.member);
          using M = std::decay_t<decltype(value)>;
          if constexpr (IsOptional<M>::value) {
            if (value) obj[fr.name] = write(*value);
          } else {
            obj[fr.name] = write(value);
          }
        };
        (one(f), ...);
      },
      JsonFields<T>::list);
  return obj;
}

template <class T>
Json write(const T& v) {
  if constexpr (Record<T>) {
    return writeRecord(v);
  } else if constexpr (IsVector<T>::value) {
    Json arr = Json::array();
    for (const auto& e : v) arr.push_back(write(e));
    return arr;
  } else if constexpr (std::is_same_v<T, Date>) {
    return isoDate(v);
  } else if constexpr (std::is_enum_v<T>) {
    return Json(rawValue(v));
  } else {
    return Json(v);
  }
}

template <class T>
bool read(const Json& j, T& out);

template <Record T>
bool readRecord(const Json& j, T& out) {
  if (!j.is_object()) return false;
  bool ok = true;
  std::apply(
      [&](const auto&... f) {
        auto one = [&](const auto& fr) {
          auto& target = out.*(fr.member);
          using M = std::decay_t<decltype(target)>;
          auto it = j.find(fr.name);
          if constexpr (IsOptional<M>::value) {
            if (it == j.end() || it->is_null()) {
              target.reset();
            } else {
              typename M::value_type v{};
              if (read(*it, v)) target = std::move(v);
              else ok = false;
            }
          } else {
            if (it == j.end() || !read(*it, target)) ok = false;
          }
        };
        (one(f), ...);
      },
      JsonFields<T>::list);
  return ok;
}

template <class T>
bool read(const Json& j, T& out) {
  if constexpr (Record<T>) {
    return readRecord(j, out);
  } else if constexpr (IsVector<T>::value) {
    if (!j.is_array()) return false;
    out.clear();
    for (const auto& e : j) {
      typename T::value_type v{};
      if (!read(e, v)) return false;
      out.push_back(std::move(v));
    }
    return true;
  } else if constexpr (std::is_same_v<T, Date>) {
    if (!j.is_string()) return false;
    auto d = parseIsoDate(j.get_ref<const std::string&>());
    if (!d) return false;
    out = *d;
    return true;
  } else if constexpr (std::is_enum_v<T>) {
    auto e = enumFromRaw(static_cast<T*>(nullptr), j);
    if (!e) return false;
    out = *e;
    return true;
  } else if constexpr (std::is_same_v<T, bool>) {
    if (!j.is_boolean()) return false;
    out = j.get<bool>();
    return true;
  } else if constexpr (std::is_same_v<T, std::string>) {
    if (!j.is_string()) return false;
    out = j.get<std::string>();
    return true;
  } else if constexpr (std::is_floating_point_v<T>) {
    if (!j.is_number()) return false;
    out = j.get<T>();
    return true;
  } else if constexpr (std::is_unsigned_v<T>) {
    if (!j.is_number_unsigned()) return false;
    auto v = j.get<uint64_t>();
    if (v > std::numeric_limits<T>::max()) return false;
    out = static_cast<T>(v);
    return true;
  } else {
    static_assert(std::is_signed_v<T>);
    if (!j.is_number_integer()) return false;
    if (j.is_number_unsigned()) {
      auto v = j.get<uint64_t>();
      if (v > static_cast<uint64_t>(std::numeric_limits<T>::max())) return false;
      out = static_cast<T>(v);
      return true;
    }
    auto v = j.get<int64_t>();
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) return false;
    out = static_cast<T>(v);
    return true;
  }
}

}  // namespace json_detail

// Any record, array of records, enum or plain value, as a JSON value tree.
template <class T>
Json toJson(const T& value) {
  return json_detail::write(value);
}

// Reads a value back; none when a required key is missing or a value has the wrong type.
template <class T>
std::optional<T> fromJson(const Json& j) {
  T out{};
  if (!json_detail::read(j, out)) return std::nullopt;
  return out;
}

}  // namespace kovra
