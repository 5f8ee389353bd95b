#pragma once
// The program's log channels: subsystem "com.example.Kovra", categories "sampler", "store", "ui".
// Messages go to the systemd journal when it is reachable, otherwise to standard error;
// KOVRA_LOG=stderr forces standard error. Tests install a capture sink.

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kovra {

enum class LogLevel { debug, info, defaultLevel, error };

struct LogRecord {
  std::string subsystem;
  std::string category;
  LogLevel level = LogLevel::defaultLevel;
  std::string message;
  bool operator==(const LogRecord&) const = default;
};

class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void write(const LogRecord& record) = 0;
};

class LogChannel {
 public:
  explicit constexpr LogChannel(std::string_view category) : category_(category) {}
  void debug(std::string_view message) const { emit(LogLevel::debug, message); }
  void info(std::string_view message) const { emit(LogLevel::info, message); }
  void log(std::string_view message) const { emit(LogLevel::defaultLevel, message); }
  void error(std::string_view message) const { emit(LogLevel::error, message); }
  void emit(LogLevel level, std::string_view message) const;
  std::string_view category() const { return category_; }

 private:
  std::string_view category_;
};

namespace Log {
inline constexpr std::string_view subsystem = "com.example.Kovra";
inline constexpr LogChannel sampler{"sampler"};
inline constexpr LogChannel store{"store"};
inline constexpr LogChannel ui{"ui"};
}  // namespace Log

// Replaces the sink every channel writes to and returns the previous one; nullptr restores the
// default (journal or standard error).
std::shared_ptr<LogSink> setLogSink(std::shared_ptr<LogSink> sink);

// Collects every record while it is alive; for tests of "logged once" rules.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<LogRecord> records() const;
  // Messages of one category (all categories when empty).
  std::vector<std::string> messages(std::string_view category = {}) const;
  size_t count(std::string_view message) const;
  void clear();

 private:
  class Sink;
  std::shared_ptr<Sink> sink_;
  std::shared_ptr<LogSink> previous_;
};

}  // namespace kovra
