#pragma once
// The defaults database as a JSON file: one object whose members are the keys. Writes go to a
// temporary file that is flushed to disk and renamed over the old one, so a crash leaves either
// the old or the new file. A file that cannot be read or parsed (or is no regular file at all)
// reads as empty; it is moved aside (to "<name>.corrupt-<timestamp>") before the first write, so
// nothing the user had is lost, and the problem is logged once. Members this program does not know
// are kept exactly as written; one whose value cannot be held reads as missing and is kept too.
// Each write reads the file again and changes only the keys set here since the last write, so
// two running copies do not drop each other's settings.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "logic/atomic_file.h"
#include "logic/defaults_database.h"
#include "logic/settings_document.h"

namespace kovra {

// Parses the text of a settings file: a JSON object, nested at most a few levels deep. On failure
// the result is none and `error` (when given) says why.
std::optional<SettingsDocument> parseSettingsDocument(std::string_view text, std::string* error = nullptr);

class JsonFileDefaults final : public DefaultsDatabase {
 public:
  // Reads `path` now, without ever waiting on it; a missing file is an empty database.
  explicit JsonFileDefaults(std::string path);

  std::optional<DefaultsValue> object(std::string_view key) const override;
  void set(std::string_view key, DefaultsValue value) override;

  std::optional<std::string> saveProblem() const override;

  const std::string& path() const { return path_; }
  // Where an unreadable file was moved, once that has happened.
  const std::optional<std::string>& keptAsidePath() const { return keptAside_; }

  // <user configuration folder>/kovra/settings.json
  static std::string standardPath();
  // The database at standardPath().
  static std::shared_ptr<JsonFileDefaults> standard();

 private:
  void write();
  bool keepAsideIfNeeded();
  void reportWriteProblem(const std::string& message);

  std::string path_;
  SettingsDocument document_;
  // Keys set here and not written yet, with their values.
  std::map<std::string, DefaultsValue, std::less<>> pending_;
  // What the path named when it was last read or written.
  std::optional<FileIO::FileIdentity> seen_;
  bool needsKeepingAside_ = false;
  std::optional<std::string> keptAside_;
  std::string lastWriteError_;
};

}  // namespace kovra
