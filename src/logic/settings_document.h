#pragma once
// A settings file's JSON object, member by member. Every member keeps its exact text, so a rewrite
// changes only the members that were set: what other programs (or another copy of this one) put
// there comes back as it was, large integers included. A member whose value this program cannot
// hold (a number beyond the range of a double) reads as missing but is kept all the same.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace kovra {

class SettingsDocument {
 public:
  // An empty object.
  SettingsDocument() = default;

  // The text must be one JSON object, nested at most a few levels deep. On failure the result is
  // none and `error` (when given) says why.
  static std::optional<SettingsDocument> parse(std::string_view text, std::string* error = nullptr);

  // The value of the last member named `key`; none when there is no such member or its value is
  // not one this program can hold.
  const nlohmann::json* find(std::string_view key) const;
  // Gives `key` this value (any earlier member of that name goes); other members keep their text.
  void set(const std::string& key, const nlohmann::json& value);

  // The document as a file's text: one member per line, members in their order.
  std::string text() const;
  size_t size() const { return members_.size(); }

 private:
  struct Member {
    std::string key;
    std::string rawKey;    // as written, quotes included
    std::string rawValue;  // as written
    std::optional<nlohmann::json> value;
  };
  std::vector<Member> members_;
};

}  // namespace kovra
