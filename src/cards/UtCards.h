#pragma once

#include "data/UtDM.h"

#include <QEvent>
#include <QLabel>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <functional>

class QMenu;
class TScrollBox;

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
    // The statement Reload reads the card's row with (its id as :aa).
    static QString ReloadStatement(bool isWallet);
    int GetID() const { return Info ? Info->ID : 0; }

    // The card's picture as last drawn (for tests and for the look of the card).
    const QPixmap& Picture() const { return m_picture; }

protected:
    // Loads the bitmap, writes name and balance on it and shows it.
    void drawFrom(const QString& bitmapName, bool transparent);

private:
    QPixmap m_picture;
};

// The selectable, draggable card of the two panels.
class TImageCtrl : public TImageBase {
    Q_OBJECT
public:
    explicit TImageCtrl(QWidget* parent);

    bool Selected = false;
    // Called when the card is pressed; the panel manager makes it its SelectCard.
    std::function<void(TImageCtrl*)> OnSelect;
    // The card's popup menu (the main window's pmAccount or pmWallet), or none.
    QMenu* PopupMenu = nullptr;
    // The window that receives the card's messages (the main window), or none.
    QPointer<QObject> Host;

    void DrawCard() override;
    // One step of a selection walk: selected exactly when pressed is a card with this
    // card's id; the selected card tells the main window.
    void UpdateSelection(QObject* pressed);

    void ImageMouseDown(Qt::MouseButton button, const QPoint& pos);
    // Whether a drop from source is welcome here.
    bool ImageDragOver(QObject* source) const;
    void ImageDragDrop(QObject* source);
    void ImageDblClick();

    // The mime type of a dragged card; its data is the card's id.
    static QString MimeType();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool m_dragArmed = false;
    QPoint m_pressPos;
};

// Builds, finds, refreshes and selects the cards of the account column and the
// wallet strip.
class TPanelMgr : public QObject {
    Q_OBJECT
public:
    // The cards send their messages to host and open the given popup menus; the
    // manager belongs to host.
    TPanelMgr(TScrollBox* accountBox, TScrollBox* walletBox, QObject* host,
              QMenu* accountMenu = nullptr, QMenu* walletMenu = nullptr);
    ~TPanelMgr() override;

    TScrollBox* AccountBox;
    TScrollBox* WalletBox;
    QMenu* AccountMenu;
    QMenu* WalletMenu;
    QList<PDataInfo> AccountList; // in card order
    QList<PDataInfo> WalletList;

    void LoadAccounts();
    void LoadWallets();
    void RefreshCard(int id);
    void SelectCard(TImageCtrl* pressed);
    void ClearAccountSelection(QObject* sender);
    void ClearWalletSelection(QObject* sender);
    TImageCtrl* GetSelectedAccount() const;
    TImageCtrl* GetSelectedWallet() const;

    // The statement a panel's cards are built from.
    static QString PanelStatement(bool wallets);

private:
    void loadPanel(bool wallets);
};

// The one panel manager, created by the main window.
extern TPanelMgr* PanelMgr;
