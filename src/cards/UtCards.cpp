#include "cards/UtCards.h"

#include "data/AppPaths.h"
#include "data/Errors.h"
#include "data/UtFormat.h"

#include <QBitmap>
#include <QFileInfo>
#include <QPainter>

TImageBase::TImageBase(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setScaledContents(false);
}

void TImageBase::SetData(const PDataInfo& info, bool isWallet)
{
    Info = info;
    IsWallet = isWallet;
    DrawCard();
}

void TImageBase::DrawCard()
{
    drawFrom(IsWallet ? QStringLiteral("res/wallet.bmp") : QStringLiteral("res/acc.bmp"), true);
}

void TImageBase::drawFrom(const QString& bitmapName, bool transparent)
{
    const QString path = AppDir() + bitmapName;
    QPixmap picture;
    if (!picture.load(path, "BMP"))
        throw EBudgetError(QFileInfo::exists(path) ? QStringLiteral("Cannot read the picture \"%1\"").arg(path)
                                                   : QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(path));
    // The bitmap's background colour (its bottom-left pixel) lets the parent show through.
    QBitmap mask;
    if (transparent) {
        const QColor background = picture.toImage().pixelColor(0, picture.height() - 1);
        mask = picture.createMaskFromColor(background, Qt::MaskInColor);
    }
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
    if (transparent)
        picture.setMask(mask);
    m_picture = picture;
    setPixmap(m_picture);
    resize(m_picture.size());
}

void TImageBase::Reload()
{
    if (!Info)
        return;
    TQuery& q = DM->m_Query;
    q.Close();
    q.SQL.clear();
    q.ClearParams();
    q.SQL << (IsWallet ? QStringLiteral("select [ID], [name],[type],[Balance], [negative],[WarnNegative],[URL],[Memo] "
                                        "from Account where ID=:aa and type = 2")
                       : QStringLiteral("select [ID], [name],[type],[Balance], [negative],[WarnNegative],[URL],[Memo] "
                                        "from Account where ID=:aa and type in (0,1)"));
    q.SetParam(QStringLiteral("aa"), Info->ID);
    q.Open();
    if (!q.Eof())
        TDM::FillInfo(*Info, q);
    DrawCard();
}
