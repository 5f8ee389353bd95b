#include "logic/json_defaults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <variant>

#include "core/log.h"
#include "core/unique_fd.h"
#include "logic/xdg_paths.h"

namespace kovra {

namespace {

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

class FolderLock {
 public:
  explicit FolderLock(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    fd_.reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd_.valid()) return;
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return;
      ::usleep(10'000);
    }
  }
  // Closing the descriptor lets the lock go.

 private:
  UniqueFd fd_;
};

nlohmann::json toJson(const DefaultsValue& value) {
  return std::visit([](const auto& v) { return nlohmann::json(v); }, value);
}

}  // namespace

std::optional<SettingsDocument> parseSettingsDocument(std::string_view text, std::string* error) {
  return SettingsDocument::parse(text, error);
}

JsonFileDefaults::JsonFileDefaults(std::string path) : path_(std::move(path)) {
  FileIO::FileIdentity identity;
  auto text = FileIO::readWhole(path_, 1 << 20, &identity);
  seen_ = identity;
  if (!text.ok()) {
    if (text.error().missing) return;  // a fresh user: nothing stored yet
    needsKeepingAside_ = true;
    Log::store.error("Ayarlar dosyası okunamadı, varsayılanlar kullanılıyor: " + text.error().description);
    return;
  }
  std::string why;
  if (auto doc = SettingsDocument::parse(*text, &why)) {
    document_ = std::move(*doc);
  } else {
    needsKeepingAside_ = true;
    Log::store.error("Ayarlar dosyası bozuk, varsayılanlar kullanılıyor: " + path_ + ": " + why);
  }
}

std::optional<DefaultsValue> JsonFileDefaults::object(std::string_view key) const {
  const nlohmann::json* found = document_.find(key);
  if (found == nullptr) return std::nullopt;
  const nlohmann::json& v = *found;
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
  nlohmann::json json = toJson(value);
  // The file is left alone when it already says so (each start sets what it read, for one).
  if (const nlohmann::json* stored = document_.find(key); pending_.empty() && stored != nullptr && *stored == json) {
    return;
  }
  document_.set(std::string(key), std::move(json));
  pending_.insert_or_assign(std::string(key), std::move(value));
  write();
}

void JsonFileDefaults::write() {
  // In a folder that is not safe to write in, nothing is touched, not even a file to keep aside.
  if (auto folder = FileIO::checkFolderOf(path_); !folder.ok()) {
    reportWriteProblem("Ayarlar kaydedilemedi: " + folder.error());
    return;
  }
  // Two copies writing at once would each start from the file without the other's change: the
  // folder's lock makes them take turns. A copy that holds it for long (stopped, say) is not
  // waited for beyond a fifth of a second.
  const FolderLock lock(path_);
  // Another running copy may have written since this one read: start from the file as it is now.
  FileIO::FileIdentity now;
  SettingsDocument base = document_;
  auto text = FileIO::readWhole(path_, 1 << 20, &now);
  if (text.ok()) {
    std::string why;
    if (auto doc = SettingsDocument::parse(*text, &why)) {
      base = std::move(*doc);
    } else if (!needsKeepingAside_) {
      needsKeepingAside_ = true;
      Log::store.error("Ayarlar dosyası bozuk, varsayılanlar kullanılıyor: " + path_ + ": " + why);
    }
  } else if (text.error().missing) {
    base = SettingsDocument();
  } else if (!needsKeepingAside_) {
    needsKeepingAside_ = true;
    Log::store.error("Ayarlar dosyası okunamadı, varsayılanlar kullanılıyor: " + text.error().description);
  }
  // A link that was not there when this copy read the file (or points elsewhere now) is not
  // ours to follow, nor to move aside, whatever it points to.
  if (now.isLink && !(seen_ && seen_->isLink && seen_->exists && now.exists && seen_->device == now.device &&
                      seen_->inode == now.inode)) {
    reportWriteProblem("Ayarlar kaydedilemedi: " + path_ + ": okunduğundan beri değişmiş bir bağlantı, izlenmedi");
    return;
  }
  // Never overwrite a file we could not read: it moves aside first, or nothing is written.
  if (!keepAsideIfNeeded()) return;
  for (const auto& [key, value] : pending_) base.set(key, toJson(value));
  // A link is written through only if it is the one read before (when this copy started or last
  // wrote), still pointing at the same file.
  auto written = FileIO::writeAtomically(path_, base.text(), 0600, seen_);
  if (!written.ok()) {
    reportWriteProblem("Ayarlar kaydedilemedi: " + written.error());
    return;
  }
  seen_ = *written;
  document_ = std::move(base);
  pending_.clear();
  if (!lastWriteError_.empty()) {
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

std::optional<std::string> JsonFileDefaults::saveProblem() const {
  if (lastWriteError_.empty()) return std::nullopt;
  return lastWriteError_;
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
