#include "grid/GridSort.h"

#include "data/UtQuery.h"
#include "grid/DBGridEh.h"
#include "platform/WaitCursor.h"

void SortGrid(TDBGridEh* grid, int column) {
    const TWaitCursor wait;
    if (!grid || column < 0 || column >= grid->ColumnCount())
        return;
    TQuery* q = grid->DataSet();
    if (!q || !q->Active())
        return;
    const int field = grid->FieldIndex(column);
    if (field < 0 || q->FieldIsLongText(field))
        return;
    const QString name = grid->Column(column).FieldName;
    if (name.isEmpty() || name.contains(u';'))
        return;
    switch (grid->SortMarker(column)) {
    case TSortMarker::smNone:
        grid->SetSortMarker(column, TSortMarker::smUp);
        q->SetSort(name);
        break;
    case TSortMarker::smUp:
        grid->SetSortMarker(column, TSortMarker::smDown);
        q->SetSort(name + QStringLiteral(" DESC"));
        break;
    case TSortMarker::smDown:
        grid->SetSortMarker(column, TSortMarker::smNone);
        q->SetSort(QString());
        break;
    }
    grid->DataChanged();
}
