"""Reads the editor's grid over AT-SPI and checks what a screen reader would announce."""
import sys
import time

import pyatspi

TYPED = sys.argv[1]


def find(node, predicate, depth=0):
    if node is None or depth > 12:
        return None
    if predicate(node):
        return node
    for i in range(node.childCount):
        if node.getRoleName() == "table":
            break  # cells are not searched one by one
        found = find(node.getChildAtIndex(i), predicate, depth + 1)
        if found is not None:
            return found
    return None


def grid():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and "mirevo" in (app.name or "").lower():
            return find(app, lambda n: n.getRole() == pyatspi.ROLE_TABLE
                        and n.name == "holiday table")
    return None


table = None
for _ in range(100):
    table = grid()
    if table is not None:
        break
    time.sleep(0.1)
if table is None:
    sys.exit("no table named 'holiday table' over AT-SPI")

def failures_of(table):
    failures = []
    cells = table.queryTable()
    if (cells.nRows, cells.nColumns) != (5, 6):
        failures.append(f"counts {cells.nRows} x {cells.nColumns}, expected 5 x 6")
    typed = cells.getAccessibleAt(1, 0)
    if typed.name != TYPED:
        failures.append(f"cell (row 1, column 0) reads {typed.name!r}, expected {TYPED!r}")
    focused = [(r, c) for r in range(cells.nRows) for c in range(cells.nColumns)
               if cells.getAccessibleAt(r, c).getState().contains(pyatspi.STATE_FOCUSED)]
    if focused != [(2, 0)]:
        failures.append(f"focused cells {focused}, expected [(2, 0)]")
    header = cells.getAccessibleAt(0, 0)
    if header.getRole() != pyatspi.ROLE_TABLE_COLUMN_HEADER:
        failures.append(f"row 0 has the role {header.getRoleName()}")
    return failures


# The typed text and the move reach the table in their own time: wait for them.
failures = failures_of(table)
for _ in range(100):
    if not failures:
        break
    time.sleep(0.1)
    failures = failures_of(table)
if failures:
    sys.exit("\n".join(failures))
print(f"AT-SPI reads a 5 x 6 table, {TYPED!r} in row 1 and the focus on row 2")
