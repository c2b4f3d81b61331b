// Sorting ConnectionList by the text of a clicked column.
#pragma once

#include <cstdint>

namespace ostrand {

// Direction of the next sort, shared by all columns: false (descending) at
// start, flipped by every SortByColumn. A refresh leaves it alone.
extern bool sortAscending;

// Sorts all rows by the text of the column (0..5) in the direction that
// sortAscending holds, then flips it, also for an empty list.
void SortByColumn(int column);

// The list's comparison callback. Its first two arguments are the addresses
// of the two rows' sort texts (0 stands for the empty text); the third is
// ignored. Compares under the user's locale, never by bytes.
int CompareRowTexts(std::intptr_t first, std::intptr_t second, std::intptr_t sortParam);

}  // namespace ostrand
