#include "core/localize.h"

#include <memory>
#include <mutex>

namespace kovra {

namespace {
using Table = std::map<std::string, std::string, std::less<>>;
std::mutex gMutex;
std::shared_ptr<const Table> gTable;
}  // namespace

std::string localized(std::string_view key, std::string_view) {
  std::shared_ptr<const Table> table;
  {
    std::lock_guard g(gMutex);
    table = gTable;
  }
  if (table) {
    auto it = table->find(key);
    if (it != table->end()) return it->second;
  }
  return std::string(key);
}

void setLocalizationTable(Table table) {
  std::lock_guard g(gMutex);
  gTable = table.empty() ? nullptr : std::make_shared<const Table>(std::move(table));
}

}  // namespace kovra
