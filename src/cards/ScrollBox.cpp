#include "cards/ScrollBox.h"

#include <QMouseEvent>

TScrollBox::TScrollBox(QWidget* parent) : QScrollArea(parent), m_page(new QWidget) {
    m_page->setObjectName(QStringLiteral("page"));
    // The panels paint their grey through the page; the page is only a holder.
    m_page->setAutoFillBackground(false);
    setWidget(m_page);
    setWidgetResizable(true);
    viewport()->installEventFilter(this);
    m_page->installEventFilter(this);
}

void TScrollBox::FitPage() {
    int right = 0, bottom = 0;
    for (const QWidget* child : m_page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        right = qMax(right, child->geometry().right() + 1);
        bottom = qMax(bottom, child->geometry().bottom() + 1);
    }
    // The same margin that the first card keeps from the edge.
    m_page->setMinimumSize(right > 0 ? right + 10 : 0, bottom > 0 ? bottom + 10 : 0);
}

bool TScrollBox::eventFilter(QObject* watched, QEvent* event) {
    // Presses on a card go to the card; only the page itself or the bare viewport
    // around it count as the empty part of the box.
    if ((watched == m_page || watched == viewport()) && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit clicked(this);
    return QScrollArea::eventFilter(watched, event);
}
