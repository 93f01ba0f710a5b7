#pragma once

#include <QWidget>

class TDBGridEh;

// The footer row: one cell per column under the list, drawn at the columns' current
// positions so it follows resizing and sideways scrolling.
class TGridFooter : public QWidget {
public:
    explicit TGridFooter(TDBGridEh* grid);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TDBGridEh* m_grid;
};
