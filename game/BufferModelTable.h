#pragma once
// The paths of the model cache's buffer-model table, filled before start-up.

// Sets every row's path, in row order, with no model.
void BufferModelTableFill();
// The path the table gives a row; null outside the table.
const char* BufferModelTablePath(int row);
