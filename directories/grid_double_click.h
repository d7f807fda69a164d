#pragma once

#include <functional>

class QAbstractItemView;

namespace directories {

// Runs handler (guarded) on every double-click with the left button in the grid's rows
// area, also where there is no row: a list narrowed to nothing still answers it.
void onGridDoubleClick(QAbstractItemView* grid, std::function<void()> handler);

} // namespace directories
