#pragma once
#include <cstddef>

#include "multi_unit_state.h"

// A cell of the table: which of its five lists, and which column there.
struct Cell {
    size_t list;
    int column;
};
// Where channel k of a row is shown: 电池1 beside the address, the others
// in the first column of their own lists.
constexpr Cell kVoltageCells[kChannelCount] = {{0, 1}, {1, 0}, {2, 0}, {3, 0}};
constexpr Cell kAddressCell{0, 0};
