#include "logic/settings_document.h"

namespace kovra {

namespace {

// Settings are flat; anything deeper than this is not ours and would only cost stack to parse.
constexpr int kMaxDepth = 32;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void skipSpace() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
  }
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  bool take(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  size_t pos() const { return pos_; }

  // Moves past one string (at its opening quote); false when it does not end.
  bool skipString() {
    ++pos_;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '\\') {
        ++pos_;
      } else if (c == '"') {
        return true;
      }
    }
    return false;
  }

  // Moves past one value, without judging it (the JSON parser does that); false when it runs off
  // the end or nests too deep (`tooDeep` set).
  bool skipValue(bool& tooDeep) {
    if (peek() == '"') return skipString();
    if (peek() == '{' || peek() == '[') {
      int depth = 0;
      while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '"') {
          if (!skipString()) return false;
          continue;
        }
        ++pos_;
        if (c == '{' || c == '[') {
          if (++depth > kMaxDepth) {
            tooDeep = true;
            return false;
          }
        } else if (c == '}' || c == ']') {
          if (--depth == 0) return true;
        }
      }
      return false;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_]) && text_[pos_] != ',' && text_[pos_] != '}' &&
           text_[pos_] != ']') {
      ++pos_;
    }
    return pos_ > start;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

enum class ValueRead { ok, outOfRange, invalid };

ValueRead readValue(std::string_view raw, nlohmann::json& out) {
  try {
    out = nlohmann::json::parse(raw);
    return ValueRead::ok;
  } catch (const nlohmann::json::out_of_range&) {
    return ValueRead::outOfRange;  // a number this program cannot hold
  } catch (const nlohmann::json::exception&) {
    return ValueRead::invalid;
  }
}

std::string dumped(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::optional<SettingsDocument> SettingsDocument::parse(std::string_view text, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<SettingsDocument> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const std::string invalid = "geçerli JSON değil";
  Scanner s(text);
  s.skipSpace();
  if (!s.take('{')) {
    bool tooDeep = false;
    Scanner whole(text);
    whole.skipSpace();
    if (!whole.atEnd() && whole.skipValue(tooDeep) && nlohmann::json::accept(text)) return fail("bir JSON nesnesi değil");
    return fail(tooDeep ? "iç içe geçme çok derin" : invalid);
  }
  SettingsDocument doc;
  s.skipSpace();
  if (!s.take('}')) {
    for (;;) {
      s.skipSpace();
      if (s.peek() != '"') return fail(invalid);
      const size_t keyStart = s.pos();
      if (!s.skipString()) return fail(invalid);
      Member m;
      m.rawKey = std::string(text.substr(keyStart, s.pos() - keyStart));
      nlohmann::json key;
      if (readValue(m.rawKey, key) != ValueRead::ok || !key.is_string()) return fail(invalid);
      m.key = key.get<std::string>();
      s.skipSpace();
      if (!s.take(':')) return fail(invalid);
      s.skipSpace();
      const size_t valueStart = s.pos();
      bool tooDeep = false;
      if (!s.skipValue(tooDeep)) return fail(tooDeep ? "iç içe geçme çok derin" : invalid);
      m.rawValue = std::string(text.substr(valueStart, s.pos() - valueStart));
      nlohmann::json value;
      switch (readValue(m.rawValue, value)) {
        case ValueRead::ok:
          m.value = std::move(value);
          break;
        case ValueRead::outOfRange:
          break;  // unreadable here, kept as written
        case ValueRead::invalid:
          return fail(invalid);
      }
      doc.members_.push_back(std::move(m));
      s.skipSpace();
      if (s.take(',')) continue;
      if (s.take('}')) break;
      return fail(invalid);
    }
  }
  s.skipSpace();
  if (!s.atEnd()) return fail(invalid);
  return doc;
}

const nlohmann::json* SettingsDocument::find(std::string_view key) const {
  for (auto it = members_.rbegin(); it != members_.rend(); ++it) {
    if (it->key == key) return it->value ? &*it->value : nullptr;
  }
  return nullptr;
}

void SettingsDocument::set(const std::string& key, const nlohmann::json& value) {
  size_t last = members_.size();
  for (size_t i = 0; i < members_.size(); ++i) {
    if (members_[i].key == key) last = i;
  }
  if (last == members_.size()) {
    members_.push_back(Member{key, dumped(nlohmann::json(key)), dumped(value), value});
    return;
  }
  // The last member of that name takes the value in its place; earlier ones go.
  members_[last].rawValue = dumped(value);
  members_[last].value = value;
  std::vector<Member> kept;
  kept.reserve(members_.size());
  for (size_t i = 0; i < members_.size(); ++i) {
    if (i == last || members_[i].key != key) kept.push_back(std::move(members_[i]));
  }
  members_ = std::move(kept);
}

std::string SettingsDocument::text() const {
  if (members_.empty()) return "{}\n";
  std::string out = "{\n";
  for (size_t i = 0; i < members_.size(); ++i) {
    out += "  " + members_[i].rawKey + ": " + members_[i].rawValue;
    out += i + 1 < members_.size() ? ",\n" : "\n";
  }
  out += "}\n";
  return out;
}

}  // namespace kovra
