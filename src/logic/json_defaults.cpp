#include "logic/json_defaults.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <ctime>

#include "core/log.h"
#include "logic/atomic_file.h"
#include "logic/xdg_paths.h"

namespace kovra {

namespace {

// Settings are flat; anything deeper than this is not ours and would only cost stack to parse.
constexpr int kMaxDepth = 32;

// Depth of the deepest bracket nesting, counting only brackets outside strings.
int nestingDepth(std::string_view text) {
  int depth = 0;
  int deepest = 0;
  bool inString = false;
  bool escaped = false;
  for (char c : text) {
    if (inString) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') inString = true;
    else if (c == '[' || c == '{') deepest = std::max(deepest, ++depth);
    else if (c == ']' || c == '}') --depth;
    if (deepest > kMaxDepth) break;
  }
  return deepest;
}

std::string timestampForName() {
  const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &tm);
  return buffer;
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::optional<nlohmann::json> parseSettingsDocument(std::string_view text, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<nlohmann::json> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  if (nestingDepth(text) > kMaxDepth) return fail("iç içe geçme çok derin");
  nlohmann::json doc = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (doc.is_discarded()) return fail("geçerli JSON değil");
  if (!doc.is_object()) return fail("bir JSON nesnesi değil");
  return doc;
}

JsonFileDefaults::JsonFileDefaults(std::string path) : path_(std::move(path)) {
  auto text = FileIO::readWhole(path_);
  if (!text.ok()) {
    if (text.error().missing) return;  // a fresh user: nothing stored yet
    needsKeepingAside_ = true;
    Log::store.error("Ayarlar dosyası okunamadı, varsayılanlar kullanılıyor: " + text.error().description);
    return;
  }
  std::string why;
  if (auto doc = parseSettingsDocument(*text, &why)) {
    document_ = std::move(*doc);
  } else {
    needsKeepingAside_ = true;
    Log::store.error("Ayarlar dosyası bozuk, varsayılanlar kullanılıyor: " + path_ + ": " + why);
  }
}

std::optional<DefaultsValue> JsonFileDefaults::object(std::string_view key) const {
  auto it = document_.find(key);
  if (it == document_.end()) return std::nullopt;
  const nlohmann::json& v = *it;
  if (v.is_boolean()) return DefaultsValue(v.get<bool>());
  if (v.is_number_integer() && !v.is_number_unsigned()) return DefaultsValue(v.get<int64_t>());
  if (v.is_number_unsigned()) {
    const auto u = v.get<uint64_t>();
    if (u <= static_cast<uint64_t>(INT64_MAX)) return DefaultsValue(static_cast<int64_t>(u));
    return DefaultsValue(static_cast<double>(u));
  }
  if (v.is_number_float()) return DefaultsValue(v.get<double>());
  if (v.is_string()) return DefaultsValue(v.get<std::string>());
  return std::nullopt;  // null, lists and tables are nothing the settings use
}

void JsonFileDefaults::set(std::string_view key, DefaultsValue value) {
  std::visit([&](const auto& v) { document_[std::string(key)] = v; }, value);
  // Never overwrite a file we could not read: it moves aside first, or nothing is written.
  if (!keepAsideIfNeeded()) return;
  const std::string text = document_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  auto written = FileIO::writeAtomically(path_, text);
  if (!written.ok()) {
    reportWriteProblem("Ayarlar kaydedilemedi: " + written.error());
  } else if (!lastWriteError_.empty()) {
    Log::store.log("Ayarlar yeniden kaydedilebiliyor.");
    lastWriteError_.clear();
  }
}

bool JsonFileDefaults::keepAsideIfNeeded() {
  if (!needsKeepingAside_) return true;
  const std::string base = path_ + ".corrupt-" + timestampForName();
  std::string target = base;
  for (int n = 1; exists(target) && n < 1000; ++n) target = base + "-" + std::to_string(n);
  if (::rename(path_.c_str(), target.c_str()) != 0) {
    const int error = errno;
    if (error != ENOENT) {
      reportWriteProblem("Ayarlar kaydedilemedi, okunamayan dosya kenara alınamadı: " +
                         FileIO::describeErrno("rename", path_, error));
      return false;
    }
    // It vanished meanwhile: nothing left to keep.
  } else {
    keptAside_ = target;
    Log::store.log("Okunamayan ayarlar dosyası kenara alındı: " + target);
  }
  needsKeepingAside_ = false;
  return true;
}

void JsonFileDefaults::reportWriteProblem(const std::string& message) {
  // A repeating problem is logged once per distinct message.
  if (message == lastWriteError_) return;
  lastWriteError_ = message;
  Log::store.error(message);
}

std::string JsonFileDefaults::standardPath() {
  return XdgPaths::configHome() + "/kovra/settings.json";
}

std::shared_ptr<JsonFileDefaults> JsonFileDefaults::standard() {
  return std::make_shared<JsonFileDefaults>(standardPath());
}

}  // namespace kovra
