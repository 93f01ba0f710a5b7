#pragma once

class TDBGridEh;

// A title click on a list: steps the column's marker none -> up -> down -> none and
// orders the rows already in memory by its field (ascending, descending, then back to
// the statement's order). Does nothing for a column without a field of the result,
// for a long-text field, or for a name holding ";". The wait pointer shows meanwhile.
void SortGrid(TDBGridEh* grid, int column);
