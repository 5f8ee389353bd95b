#include "platform/linux/desktop_entry.h"

namespace kovra::linux_proc {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string unescapeValue(std::string_view v) {
  std::string out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) {
      char c = v[++i];
      switch (c) {
        case 's': out.push_back(' '); break;
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case 'r': out.push_back('\r'); break;
        case '\\': out.push_back('\\'); break;
        default:
          out.push_back('\\');
          out.push_back(c);
      }
    } else {
      out.push_back(v[i]);
    }
  }
  return out;
}

// Calls `visit(key, value)` for each entry of `[group]`.
template <class Visit>
bool forEachKey(std::string_view text, std::string_view group, Visit visit) {
  bool inGroup = false;
  bool found = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    std::string_view line = trim(text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
    at = end == std::string_view::npos ? text.size() : end + 1;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inGroup = line.size() == group.size() + 2 && line.back() == ']' && line.substr(1, group.size()) == group;
      if (inGroup) {
        if (found) break;  // a repeated group is not read twice
        found = true;
      }
      continue;
    }
    if (!inGroup) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    visit(trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
  }
  return found;
}

}  // namespace

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text) {
  DesktopEntry e;
  bool seen[5] = {};
  bool found = forEachKey(text, "Desktop Entry", [&](std::string_view key, std::string_view value) {
    // The first occurrence of a key wins.
    auto take = [&](int slot, std::string& field) {
      if (!seen[slot]) {
        seen[slot] = true;
        field = unescapeValue(value);
      }
    };
    if (key == "Type") take(0, e.type);
    else if (key == "Name") take(1, e.name);
    else if (key == "Name[tr]") take(2, e.nameTr);
    else if (key == "Exec") take(3, e.exec);
    else if (key == "TryExec") take(4, e.tryExec);
    else if (key == "Hidden") e.hidden = value == "true";
  });
  if (!found) return std::nullopt;
  return e;
}

std::optional<std::string> keyFileValue(std::string_view text, std::string_view group, std::string_view key) {
  std::optional<std::string> result;
  forEachKey(text, group, [&](std::string_view k, std::string_view value) {
    if (!result && k == key) result = unescapeValue(value);
  });
  return result;
}

std::vector<std::string> splitExec(std::string_view exec) {
  std::vector<std::string> args;
  std::string current;
  bool inArg = false;
  bool quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    char c = exec[i];
    if (quoted) {
      if (c == '\\' && i + 1 < exec.size()) {
        current.push_back(exec[++i]);
      } else if (c == '"') {
        quoted = false;
      } else {
        current.push_back(c);
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inArg) args.push_back(std::move(current));
      current.clear();
      inArg = false;
      continue;
    }
    inArg = true;
    if (c == '"') {
      quoted = true;
    } else if (c == '%' && i + 1 < exec.size()) {
      char code = exec[++i];
      if (code == '%') current.push_back('%');
    } else {
      current.push_back(c);
    }
  }
  if (inArg) args.push_back(std::move(current));
  // Field codes alone leave empty arguments behind.
  std::erase_if(args, [](const std::string& a) { return a.empty(); });
  return args;
}

std::optional<std::string> execProgram(std::string_view exec) {
  auto args = splitExec(exec);
  size_t i = 0;
  auto base = [](const std::string& a) {
    size_t slash = a.rfind('/');
    return slash == std::string::npos ? a : a.substr(slash + 1);
  };
  if (i < args.size() && base(args[i]) == "env") {
    ++i;
    while (i < args.size() && (args[i].find('=') != std::string::npos || args[i].starts_with("-"))) {
      // These options take the next argument.
      if (args[i] == "-u" || args[i] == "--unset" || args[i] == "-C" || args[i] == "--chdir") ++i;
      ++i;
    }
  }
  if (i >= args.size()) return std::nullopt;
  return args[i];
}

}  // namespace kovra::linux_proc
