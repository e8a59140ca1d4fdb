#include "vantor/column_list.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace vantor {

namespace {

bool ParseSlot(const std::string& text, int* slot) {
  if (text.empty() || text.size() > 2) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  *slot = std::atoi(text.c_str());
  return *slot <= 19;
}

}  // namespace

std::vector<int> DefaultColumns() {
  return {1, 2, 3, 4, 5, 6, 7, 8, 11};
}

bool ParseColumnList(const std::string& text, std::vector<int>* columns, std::string* error) {
  std::vector<int> result;
  std::stringstream items(text);
  std::string item;
  while (std::getline(items, item, ',')) {
    const std::size_t dash = item.find('-');
    int from = 0;
    int to = 0;
    const bool ok = dash == std::string::npos
                        ? ParseSlot(item, &from) && ParseSlot(item, &to)
                        : ParseSlot(item.substr(0, dash), &from) &&
                              ParseSlot(item.substr(dash + 1), &to) && from <= to;
    if (!ok) {
      *error = "invalid column '" + item + "' (use slot numbers 0 to 19, ranges like 1-8)";
      return false;
    }
    for (int slot = from; slot <= to; ++slot) result.push_back(slot);
  }
  if (!text.empty() && text.back() == ',') {
    *error = "invalid column list '" + text + "'";
    return false;
  }
  std::sort(result.begin(), result.end());
  result.erase(std::unique(result.begin(), result.end()), result.end());
  *columns = std::move(result);
  return true;
}

}  // namespace vantor
