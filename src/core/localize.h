#pragma once
// User texts are looked up with the Turkish text itself as the key. Without a loaded table the
// key is the text, which is exactly what the program shows today.

#include <map>
#include <string>
#include <string_view>

namespace kovra {

std::string localized(std::string_view key, std::string_view comment = {});

// Installs a translation table (key → text); an empty table restores the keys themselves.
void setLocalizationTable(std::map<std::string, std::string, std::less<>> table);

}  // namespace kovra
