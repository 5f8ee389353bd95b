#pragma once
// Parsers for .desktop files and the key files they share a format with.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kovra::linux_proc {

// The keys of the "[Desktop Entry]" group that matter here, with string escapes undone.
struct DesktopEntry {
  std::string type;
  std::string name;    // Name
  std::string nameTr;  // Name[tr]
  std::string exec;
  std::string tryExec;
  bool hidden = false;
};

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text);

// The value of `key` in `[group]` of a key file, escapes undone; absent when missing.
std::optional<std::string> keyFileValue(std::string_view text, std::string_view group, std::string_view key);

// The arguments of an Exec value, quoting undone (field codes such as %u are dropped).
std::vector<std::string> splitExec(std::string_view exec);

// The program an Exec value runs: its first argument, looking through "env VAR=x prog".
std::optional<std::string> execProgram(std::string_view exec);

}  // namespace kovra::linux_proc
