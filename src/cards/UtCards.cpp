#include "cards/UtCards.h"

#include "cards/ScrollBox.h"
#include "data/AppPaths.h"
#include "data/Errors.h"
#include "data/UtFormat.h"
#include "ui/Guarded.h"

#include <QBitmap>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

TImageBase::TImageBase(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setScaledContents(false);
}

void TImageBase::SetData(const PDataInfo& info, bool isWallet) {
    Info = info;
    IsWallet = isWallet;
    DrawCard();
}

void TImageBase::DrawCard() {
    drawFrom(IsWallet ? QStringLiteral("res/wallet.bmp") : QStringLiteral("res/acc.bmp"), true);
}

void TImageBase::drawFrom(const QString& bitmapName, bool transparent) {
    const QString path = AppDir() + bitmapName;
    QPixmap picture;
    if (!picture.load(path, "BMP"))
        throw EBudgetError(
            QFileInfo::exists(path)
                ? QStringLiteral("Cannot read the picture \"%1\"").arg(path)
                : QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(path));
    // The bitmap's background colour (its bottom-left pixel) lets the parent show through.
    const QColor background = picture.toImage().pixelColor(0, picture.height() - 1);
    if (Info) {
        QPainter p(&picture);
        QFont f = p.font();
        f.setBold(true);
        p.setFont(f);
        const QFontMetrics fm(f);
        const auto writeCentred = [&](const QString& text, int top, const QColor& colour) {
            const int x = (picture.width() - fm.horizontalAdvance(text)) / 2;
            p.setPen(colour);
            p.drawText(x, top + fm.ascent(), text);
        };
        writeCentred(Info->Name, 25, QColor(255, 255, 0));
        writeCentred(Format(QStringLiteral("%m"), {Info->Balance}), 55, QColor(255, 255, 255));
    }
    // Masked only now: a text that runs over the background stays visible there.
    if (transparent)
        picture.setMask(picture.createMaskFromColor(background, Qt::MaskInColor));
    m_picture = picture;
    setPixmap(m_picture);
    resize(m_picture.size());
}

QString TImageBase::ReloadStatement(bool isWallet) {
    return isWallet ? QStringLiteral("select [ID], [name],[type],[Balance], "
                                     "[negative],[WarnNegative],[URL],[Memo] "
                                     "from Account where ID=:aa and type = 2")
                    : QStringLiteral("select [ID], [name],[type],[Balance], "
                                     "[negative],[WarnNegative],[URL],[Memo] "
                                     "from Account where ID=:aa and type in (0,1)");
}

void TImageBase::Reload() {
    if (!Info)
        return;
    TQuery& q = TDM::FreshQuery();
    q.SQL << ReloadStatement(IsWallet);
    q.SetParam(QStringLiteral("aa"), Info->ID);
    q.Open();
    if (!q.Eof())
        TDM::FillInfo(*Info, q);
    DrawCard();
}

// ---------------------------------------------------------------------------
// TImageCtrl

TImageCtrl::TImageCtrl(QWidget* parent) : TImageBase(parent) {
    setAcceptDrops(true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

QString TImageCtrl::MimeType() {
    return QStringLiteral("application/x-velmora-card");
}

void TImageCtrl::DrawCard() {
    // The panels' grey is the bitmaps' background anyway, and a solid card is what
    // the drag picture and the selection outline need.
    setAttribute(Qt::WA_TranslucentBackground, false);
    const QString name =
        IsWallet
            ? (Selected ? QStringLiteral("res/wallet_f.bmp") : QStringLiteral("res/wallet.bmp"))
            : (Selected ? QStringLiteral("res/acc_f.bmp") : QStringLiteral("res/acc.bmp"));
    drawFrom(name, false);
}

void TImageCtrl::UpdateSelection(QObject* pressed) {
    const auto* card = qobject_cast<TImageBase*>(pressed);
    if (card && card->GetID() == GetID()) {
        Selected = true;
        DrawCard();
        // Sent, not posted: the main window has loaded this card's list before the
        // walk goes on to the next card.
        if (Host) {
            TCardMessage msg(WM_CARDSELECT, GetID(), IsWallet ? 1 : 0);
            QCoreApplication::sendEvent(Host, &msg);
        }
    } else {
        Selected = false;
        DrawCard();
    }
}

void TImageCtrl::ImageMouseDown(Qt::MouseButton button, const QPoint& pos) {
    Selected = true;
    if (OnSelect)
        OnSelect(this);
    // A drag starts only from the left button, and only once the pointer has moved
    // far enough that a plain press is not mistaken for one.
    m_dragArmed = button == Qt::LeftButton;
    m_pressPos = pos;
}

bool TImageCtrl::ImageDragOver(QObject* source) const {
    const auto* card = qobject_cast<const TImageBase*>(source);
    return card && card->GetID() != GetID();
}

void TImageCtrl::ImageDragDrop(QObject* source) {
    const auto* card = qobject_cast<const TImageBase*>(source);
    if (!card || card->GetID() == GetID() || !Host)
        return;
    TCardMessage msg(WM_CARDDROP, card->GetID(), GetID());
    QCoreApplication::sendEvent(Host, &msg);
}

void TImageCtrl::ImageDblClick() {
    // Posted: the editor opens once the double-click handling is over.
    if (Host)
        QCoreApplication::postEvent(Host, new TCardMessage(WM_CARDOPEN, GetID(), 0));
}

void TImageCtrl::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Guarded([&] { ImageMouseDown(event->button(), event->position().toPoint()); });
}

void TImageCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragArmed || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < 10)
        return;
    m_dragArmed = false;
    Guarded([this] {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setData(MimeType(), QByteArray::number(GetID()));
        drag->setMimeData(data);
        drag->setPixmap(Picture());
        drag->setHotSpot(m_pressPos);
        drag->exec(Qt::MoveAction);
    });
}

void TImageCtrl::mouseReleaseEvent(QMouseEvent* event) {
    m_dragArmed = false;
    event->accept();
}

void TImageCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    m_dragArmed = false;
    if (event->button() == Qt::LeftButton)
        Guarded([this] { ImageDblClick(); });
}

void TImageCtrl::contextMenuEvent(QContextMenuEvent* event) {
    // The press before this has already selected the card, so the menu's commands
    // act on it.
    event->accept();
    if (PopupMenu)
        Guarded([&] { PopupMenu->exec(event->globalPos()); });
}

void TImageCtrl::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(MimeType()) && ImageDragOver(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TImageCtrl::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(MimeType()) && ImageDragOver(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TImageCtrl::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    QObject* source = event->source();
    Guarded([&] { ImageDragDrop(source); });
}

// ---------------------------------------------------------------------------
// TPanelMgr

TPanelMgr* PanelMgr = nullptr;

TPanelMgr::TPanelMgr(TScrollBox* accountBox, TScrollBox* walletBox, QObject* host,
                     QMenu* accountMenu, QMenu* walletMenu)
    : QObject(host), AccountBox(accountBox), WalletBox(walletBox), AccountMenu(accountMenu),
      WalletMenu(walletMenu) {
    if (!PanelMgr)
        PanelMgr = this;
    connect(AccountBox, &TScrollBox::clicked, this,
            [this](QObject* sender) { Guarded([&] { ClearAccountSelection(sender); }); });
    connect(WalletBox, &TScrollBox::clicked, this,
            [this](QObject* sender) { Guarded([&] { ClearWalletSelection(sender); }); });
}

TPanelMgr::~TPanelMgr() {
    if (PanelMgr == this)
        PanelMgr = nullptr;
}

void TPanelMgr::LoadAccounts() {
    loadPanel(false);
}
void TPanelMgr::LoadWallets() {
    loadPanel(true);
}

QString TPanelMgr::PanelStatement(bool wallets) {
    return wallets ? QStringLiteral("SELECT ID, Name, Balance, Negative, WarnNegative, URL, "
                                    "Memo FROM Account where type=2;")
                   : QStringLiteral("select [ID], [name],[type],[Balance], "
                                    "[negative],[WarnNegative],[URL],[Memo] "
                                    "from Account where Type in(0,1)");
}

void TPanelMgr::loadPanel(bool wallets) {
    TScrollBox* box = wallets ? WalletBox : AccountBox;
    QList<PDataInfo>& list = wallets ? WalletList : AccountList;

    // A rebuild may be asked for from inside a card's own popup menu, so the old cards
    // leave the panel now and are destroyed once their handlers have returned.
    for (QWidget* old : box->Page()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    list.clear();
    box->FitPage();

    TQuery& q = TDM::FreshQuery();
    q.SQL << PanelStatement(wallets);
    q.Open();

    QMenu* menu = wallets ? WalletMenu : AccountMenu;

    int n = 0;
    for (q.First(); !q.Eof(); q.Next(), ++n) {
        auto info = std::make_shared<TDataInfo>();
        TDM::FillInfo(*info, q);
        if (wallets)
            info->AccType = 2;
        list.append(info);
        auto* card = new TImageCtrl(box->Page());
        card->setObjectName(QStringLiteral("card%1").arg(info->ID));
        card->SetData(info, wallets);
        info->Card = card;
        card->move(wallets ? QPoint(n * 90 + 10, 10) : QPoint(10, n * 90 + 10));
        card->PopupMenu = menu;
        card->Host = parent();
        card->OnSelect = [this](TImageCtrl* pressed) { SelectCard(pressed); };
        card->DrawCard();
        card->show();
        box->FitPage();
    }
}

void TPanelMgr::RefreshCard(int id) {
    for (const QList<PDataInfo>* list : {&AccountList, &WalletList})
        for (const PDataInfo& info : *list)
            if (info->ID == id) {
                if (info->Card)
                    info->Card->Reload();
                return;
            }
}

void TPanelMgr::SelectCard(TImageCtrl* pressed) {
    if (!pressed)
        return;
    // Copied: the main window's handling of the selection must not disturb the walk.
    const QList<PDataInfo> list = pressed->IsWallet ? WalletList : AccountList;
    for (const PDataInfo& info : list)
        if (auto* card = qobject_cast<TImageCtrl*>(info->Card))
            card->UpdateSelection(pressed);
}

void TPanelMgr::ClearAccountSelection(QObject* sender) {
    for (const PDataInfo& info : AccountList)
        if (auto* card = qobject_cast<TImageCtrl*>(info->Card))
            card->UpdateSelection(sender);
}

void TPanelMgr::ClearWalletSelection(QObject* sender) {
    for (const PDataInfo& info : WalletList)
        if (auto* card = qobject_cast<TImageCtrl*>(info->Card))
            card->UpdateSelection(sender);
}

namespace {
TImageCtrl* lastSelected(const QList<PDataInfo>& list) {
    TImageCtrl* found = nullptr;
    for (const PDataInfo& info : list)
        if (auto* card = qobject_cast<TImageCtrl*>(info->Card); card && card->Selected)
            found = card;
    return found;
}
} // namespace

TImageCtrl* TPanelMgr::GetSelectedAccount() const {
    return lastSelected(AccountList);
}
TImageCtrl* TPanelMgr::GetSelectedWallet() const {
    return lastSelected(WalletList);
}
