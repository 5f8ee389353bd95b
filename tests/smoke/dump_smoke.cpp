// Runs the built program with --dump, as a script would, and checks that what it prints is one
// JSON document with the readings this machine can always give.
//
// Given a folder and a JSON file as well, the program runs with KOVRA_SYS_ROOT set to the folder,
// and every key of the file's object must be in the document with that value (objects compared
// key by key in the same way, so a file names only the figures it means to check; a null value
// means the key must be missing).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

// Where `actual` differs from what `expected` asks for, or empty.
std::string differences(const nlohmann::json& expected, const nlohmann::json& actual, const std::string& where) {
  if (!expected.is_object() || !actual.is_object()) {
    if (expected == actual) return {};
    return where + ": expected " + expected.dump() + ", got " + actual.dump();
  }
  for (const auto& [key, value] : expected.items()) {
    const std::string at = where + "/" + key;
    if (value.is_null()) {
      if (actual.contains(key)) return at + ": expected to be missing, got " + actual[key].dump();
      continue;
    }
    if (!actual.contains(key)) return at + ": missing";
    if (std::string m = differences(value, actual[key], at); !m.empty()) return m;
  }
  return {};
}

int fail(const std::string& why) {
  std::fprintf(stderr, "dump smoke: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) return fail("usage: kovra_dump_smoke <path to kovra> [<sys root> <expected.json>]");
  nlohmann::json expected = nlohmann::json::object();
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string(*e).rfind("KOVRA_SYS_ROOT=", 0) != 0) environment.emplace_back(*e);
  }
  if (argc == 4) {
    std::ifstream file(argv[3]);
    expected = nlohmann::json::parse(file, nullptr, false);
    if (expected.is_discarded() || !expected.is_object()) return fail(std::string("cannot read ") + argv[3]);
    environment.push_back(std::string("KOVRA_SYS_ROOT=") + argv[2]);
  }
  std::vector<char*> env;
  for (auto& e : environment) env.push_back(e.data());
  env.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return fail("pipe2");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  char* args[] = {argv[1], const_cast<char*>("--dump"), nullptr};
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[1], &actions, nullptr, args, env.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) return fail(std::string("cannot start ") + argv[1]);

  std::string text;
  char buffer[65536];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("read");
    }
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return fail("exit status " + std::to_string(status));
  if (text.empty() || text.back() != '\n') return fail("the document does not end in a line feed");

  nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return fail("not a JSON object:\n" + text);
  if (!doc.contains("errors") || !doc["errors"].is_array()) return fail("no errors array");
  if (!doc.contains("timestamp") || !doc["timestamp"].is_string()) return fail("no timestamp");
  for (const char* key : {"memory", "cpu", "disk"}) {
    if (!doc.contains(key) || !doc[key].is_object()) return fail(std::string("no ") + key + " reading: " + doc["errors"].dump());
  }
  if (std::string m = differences(expected, doc, ""); !m.empty()) return fail(m + "\n" + text);
  std::printf("dump smoke: %zu bytes, %zu top-level keys, %zu errors\n", text.size(), doc.size(), doc["errors"].size());
  return 0;
}
