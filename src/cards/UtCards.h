#pragma once

#include "data/UtDM.h"

#include <QEvent>
#include <QLabel>
#include <QList>
#include <QPoint>
#include <functional>

class QMenu;
class QScrollArea;

// Card notifications to the main window keep the numbers of the window messages
// they stand for (WM_USER = 1024).
constexpr int WM_USER = 1024;
constexpr int WM_CARDSELECT = WM_USER + 101; // sent: id, 1 wallet / 0 account
constexpr int WM_CARDDROP = WM_USER + 102;   // sent: dragged id, target id
constexpr int WM_CARDOPEN = WM_USER + 103;   // posted: id, 0

// A card message: the event type is the message number, with a word and a long parameter.
class TCardMessage : public QEvent {
public:
    TCardMessage(int msg, qintptr wParam, qintptr lParam)
        : QEvent(QEvent::Type(msg)), WParam(wParam), LParam(lParam) {}
    int Msg() const { return int(type()); }
    qintptr WParam;
    qintptr LParam;
};

// The plain card picture: one account or wallet as a bitmap with its name and balance.
class TImageBase : public QLabel {
    Q_OBJECT
public:
    explicit TImageBase(QWidget* parent);

    bool IsWallet = false;
    PDataInfo Info; // shown, not owned

    void SetData(const PDataInfo& info, bool isWallet);
    virtual void DrawCard();
    void Reload();
    int GetID() const { return Info ? Info->ID : 0; }

    // The card's picture as last drawn (for tests and for the look of the card).
    const QPixmap& Picture() const { return m_picture; }

protected:
    // Loads the bitmap, writes name and balance on it and shows it.
    void drawFrom(const QString& bitmapName, bool transparent);

private:
    QPixmap m_picture;
};
