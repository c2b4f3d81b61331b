#include "interaction/sorting.h"

#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/host.h"

namespace ostrand {

bool sortAscending = false;

namespace {

const char* TextAt(std::intptr_t value) {
  return value != 0 ? reinterpret_cast<const char*>(value) : "";
}

}  // namespace

void SortByColumn(int column) {
  const int n = ui::RowCount();
  // Each cell is read once, before the sort: the comparisons then work on
  // these copies, which live until the sort has returned.
  std::vector<std::string> texts(n > 0 ? static_cast<std::size_t>(n) : 0);
  for (int i = 0; i < n; ++i) {
    texts[i] = ui::CellText(i, column);
    ui::SetRowItemValue(i, reinterpret_cast<std::intptr_t>(texts[i].c_str()));
  }
  ui::SortRows(CompareRowTexts);
  sortAscending = !sortAscending;
}

int CompareRowTexts(std::intptr_t first, std::intptr_t second, std::intptr_t /*sortParam*/) {
  const std::string a = TextAt(first);
  const std::string b = TextAt(second);
  return sortAscending ? CompareTextsForUser(a, b) : CompareTextsForUser(b, a);
}

}  // namespace ostrand
