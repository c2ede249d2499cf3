#pragma once

#include <QAccessibleInterface>

namespace app {

class GridCellEditor;

// The open cell editor's accessible interface: an editable text, the child of the cell it
// edits. Its text is what the editor shows (the window of a huge text around the caret);
// changes made through it are the editor's own, as if typed.
[[nodiscard]] QAccessibleInterface* MakeGridCellEditorAccessible(GridCellEditor* editor);

} // namespace app
