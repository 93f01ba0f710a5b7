#include "history/HistoryLists.h"

#include <QComboBox>

QFont HistoryFont(const QFont& base, int size, bool pixels) {
    QFont f = base;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial Narrow"),
                   QStringLiteral("DejaVu Sans Condensed"), base.family()});
    if (pixels)
        f.setPixelSize(size);
    else
        f.setPointSize(size);
    f.setBold(true);
    return f;
}

void FillAccountList(QComboBox* box, bool withAll) {
    box->clear();
    if (withAll)
        box->addItem(QStringLiteral("-----All-----"));
    box->addItem(QStringLiteral("---Account---"));
    TQuery& q = TDM::FreshQuery();
    q.SQL << QStringLiteral("select ID, [name], [Type] from Account order by type");
    q.Open();
    bool walletHeader = false;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString text =
            QStringLiteral("    ") + q.FieldByName(QStringLiteral("name")).AsString();
        if (q.FieldByName(QStringLiteral("Type")).AsInteger() == 2 && !walletHeader) {
            box->addItem(QStringLiteral("---Wallet---"));
            walletHeader = true;
        }
        const int id = q.FieldByName(QStringLiteral("ID")).AsInteger();
        box->addItem(text, QVariant::fromValue(std::make_shared<TCboItem>(id, text)));
    }
    box->setCurrentIndex(0);
}

PCboItem CboItemAt(const QComboBox* box, int index) {
    if (index < 0 || index >= box->count())
        return nullptr;
    return box->itemData(index).value<PCboItem>();
}

QString AccountLine(int index, const TCboItem* item) {
    if (item)
        return QStringLiteral(" and B.ID=") + QString::number(item->ID);
    if (index == 1)
        return QStringLiteral(" and B.Type in(0,1)");
    if (index > 0)
        return QStringLiteral(" and B.Type = 2");
    return {};
}

QString ContainsMatch(const QString& column, const QString& text) {
    QString literal;
    literal.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            literal += u'\\';
        else if (c == u'\'')
            literal += u'\'';
        literal += c;
    }
    return column + QStringLiteral(" like '%") + literal + QStringLiteral("%' escape '\\'");
}
