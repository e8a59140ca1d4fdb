#pragma once
// The columns of an output line: slot numbers 0 to 19 in ascending order.
#include <string>
#include <vector>

namespace vantor {

// The boxes the window ticks at start: Date to IC Tgp and ConnID.
std::vector<int> DefaultColumns();

// "1-8,11" -> 1..8, 11. Any order and repeats are accepted; the result is
// ascending without repeats. On a bad item returns false with the reason.
bool ParseColumnList(const std::string& text, std::vector<int>* columns, std::string* error);

}  // namespace vantor
