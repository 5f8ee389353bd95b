// Feeds arbitrary folders to the hwmon folder parser: the bytes are split at NUL into the chip's
// name followed by pairs of file name and file text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/hwmon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kovra::linuxfs::hwmon;
  std::vector<std::string> tokens(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) tokens.emplace_back();
    else tokens.back().push_back(static_cast<char>(data[i]));
  }
  const std::string chip = tokens.front();
  std::vector<std::string> names;
  std::map<std::string, std::string> files;
  for (size_t i = 1; i + 1 < tokens.size(); i += 2) {
    names.push_back(tokens[i]);
    files[tokens[i]] = tokens[i + 1];
  }
  (void)partOfChip(chip, tokens.back());
  (void)partOfZone(chip);
  const auto channels = parseFolder(chip, names, [&](const std::string& name) -> std::optional<std::string> {
    auto it = files.find(name);
    if (it == files.end()) return std::nullopt;
    return it->second;
  });
  if (channels.size() > kMaxChannels) std::abort();
  for (size_t i = 0; i < channels.size(); ++i) {
    const Channel& c = channels[i];
    if (c.index == 0 || c.index > 999 || c.label.empty() || c.label.size() > 64) std::abort();
    for (char ch : c.label)
      if (ch < 0x20 || ch > 0x7e) std::abort();
    if (c.fan && (c.max || c.crit)) std::abort();
    for (const auto& l : {c.max, c.crit})
      if (l && !plausibleCelsius(*l)) std::abort();
    if (i > 0) {
      const Channel& p = channels[i - 1];
      if (p.fan && !c.fan) std::abort();  // temperatures first
      if (p.fan == c.fan && p.index >= c.index) std::abort();
    }
    if (!files.count(c.inputFile)) std::abort();  // every channel has its input file
  }
  for (const auto& [name, text] : files) (void)parseInteger(text);
  return 0;
}
