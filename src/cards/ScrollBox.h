#pragma once

#include <QScrollArea>

// A scroll box whose children stand at fixed positions on an inner page, like the
// card panels. The page grows with its children so that the box scrolls when they do
// not fit, and a press on the empty part of the box is reported as a click.
class TScrollBox : public QScrollArea {
    Q_OBJECT
public:
    explicit TScrollBox(QWidget* parent = nullptr);

    // The page the children are placed on.
    QWidget* Page() const { return m_page; }
    // Lets the page cover every child again after children were placed or removed.
    void FitPage();

signals:
    // A left press on the empty part of the box (not on one of its children).
    void clicked(QObject* sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_page;
};
