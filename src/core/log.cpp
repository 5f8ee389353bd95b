#include "core/log.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef KOVRA_HAVE_SYSTEMD
#include <systemd/sd-journal.h>
#endif

namespace kovra {

namespace {

const char* levelName(LogLevel l) {
  switch (l) {
    case LogLevel::debug: return "debug";
    case LogLevel::info: return "info";
    case LogLevel::defaultLevel: return "default";
    case LogLevel::error: return "error";
  }
  return "default";
}

// Standard error shows default and error messages; KOVRA_LOG_LEVEL=info or debug shows more,
// like the journal's own filtering.
LogLevel stderrThreshold() {
  const char* v = std::getenv("KOVRA_LOG_LEVEL");
  if (v != nullptr && std::strcmp(v, "debug") == 0) return LogLevel::debug;
  if (v != nullptr && std::strcmp(v, "info") == 0) return LogLevel::info;
  return LogLevel::defaultLevel;
}

class StderrSink : public LogSink {
 public:
  void write(const LogRecord& r) override {
    if (r.level < threshold_) return;
    std::string line = "kovra[" + r.category + "] " + levelName(r.level) + ": " + r.message + "\n";
    std::lock_guard g(mutex_);
    (void)!::write(STDERR_FILENO, line.data(), line.size());
  }

 private:
  LogLevel threshold_ = stderrThreshold();
  std::mutex mutex_;
};

#ifdef KOVRA_HAVE_SYSTEMD
class JournalSink : public LogSink {
 public:
  void write(const LogRecord& r) override {
    int priority = LOG_NOTICE;
    switch (r.level) {
      case LogLevel::debug: priority = LOG_DEBUG; break;
      case LogLevel::info: priority = LOG_INFO; break;
      case LogLevel::defaultLevel: priority = LOG_NOTICE; break;
      case LogLevel::error: priority = LOG_ERR; break;
    }
    sd_journal_send("MESSAGE=%s", r.message.c_str(), "PRIORITY=%d", priority, "SYSLOG_IDENTIFIER=kovra",
                    "KOVRA_SUBSYSTEM=%s", r.subsystem.c_str(), "KOVRA_CATEGORY=%s", r.category.c_str(), nullptr);
  }
};
#endif

std::shared_ptr<LogSink> makeDefaultSink() {
  const char* forced = std::getenv("KOVRA_LOG");
  bool wantStderr = forced != nullptr && std::strcmp(forced, "stderr") == 0;
#ifdef KOVRA_HAVE_SYSTEMD
  if (!wantStderr && ::access("/run/systemd/journal/socket", W_OK) == 0) return std::make_shared<JournalSink>();
#else
  (void)wantStderr;
#endif
  return std::make_shared<StderrSink>();
}

std::mutex gSinkMutex;
std::shared_ptr<LogSink> gSink;

std::shared_ptr<LogSink> currentSink() {
  std::lock_guard g(gSinkMutex);
  if (!gSink) gSink = makeDefaultSink();
  return gSink;
}

}  // namespace

void LogChannel::emit(LogLevel level, std::string_view message) const {
  auto sink = currentSink();
  sink->write(LogRecord{std::string(Log::subsystem), std::string(category_), level, std::string(message)});
}

std::shared_ptr<LogSink> setLogSink(std::shared_ptr<LogSink> sink) {
  std::lock_guard g(gSinkMutex);
  auto previous = std::move(gSink);
  gSink = std::move(sink);
  return previous;
}

class LogCapture::Sink : public LogSink {
 public:
  void write(const LogRecord& r) override {
    std::lock_guard g(mutex);
    records.push_back(r);
  }
  mutable std::mutex mutex;
  std::vector<LogRecord> records;
};

LogCapture::LogCapture() : sink_(std::make_shared<Sink>()) { previous_ = setLogSink(sink_); }
LogCapture::~LogCapture() { setLogSink(previous_); }

std::vector<LogRecord> LogCapture::records() const {
  std::lock_guard g(sink_->mutex);
  return sink_->records;
}

std::vector<std::string> LogCapture::messages(std::string_view category) const {
  std::lock_guard g(sink_->mutex);
  std::vector<std::string> out;
  for (const auto& r : sink_->records) {
    if (category.empty() || r.category == category) out.push_back(r.message);
  }
  return out;
}

size_t LogCapture::count(std::string_view message) const {
  std::lock_guard g(sink_->mutex);
  size_t n = 0;
  for (const auto& r : sink_->records) n += (r.message == message);
  return n;
}

void LogCapture::clear() {
  std::lock_guard g(sink_->mutex);
  sink_->records.clear();
}

}  // namespace kovra
