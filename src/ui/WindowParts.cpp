#include "ui/WindowParts.h"

#include "ui/Guarded.h"
#include "ui/HelpContext.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

void SetupFixedWindow(QDialog* window, const QString& caption, int clientWidth, int clientHeight) {
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(clientWidth, clientHeight);
    QFont bold = window->font();
    bold.setBold(true);
    window->setFont(bold);
}

QGroupBox* Group(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    return Placed(new QGroupBox(caption, parent), name, geometry);
}

QLabel* Label(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    return Placed(new QLabel(caption, parent), name, geometry);
}

QLabel* Label(QWidget* parent, const char* name, const QString& caption, const QPoint& at) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->adjustSize();
    l->move(at);
    return l;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry) {
    return Placed(new QPushButton(caption, parent), name, geometry);
}

QComboBox* PickList(QWidget* parent, const char* name, const QRect& geometry) {
    auto* c = Placed(new QComboBox(parent), name, geometry);
    c->setEditable(false);
    c->setMaxVisibleItems(15);
    c->view()->setMinimumWidth(160);
    c->setProperty("narrow", geometry.width() < 100);
    return c;
}

void SetUpDatePicker(QDateTimeEdit* picker, const char* name, const QRect& geometry,
                     const QString& format, int slimTextPixels) {
    Placed(picker, name, geometry);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(format);
    if (slimTextPixels > 0)
        picker->setStyleSheet(QStringLiteral("QDateTimeEdit { padding-left: 0px; padding-right: "
                                             "0px; font-size: %1px; } QDateTimeEdit::drop-down "
                                             "{ width: 11px; }")
                                  .arg(slimTextPixels));
}

QString SavedText(const QString& text, bool memo) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A box's length limit counts UTF-16 units and may cut a character such as an
        // emoji in half; the half left over cannot be stored as text, so it goes.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            kept += c;
            kept += text.at(++i);
        } else if (!c.isSurrogate() &&
                   (c.category() != QChar::Other_Control || (memo && (c == u'\n' || c == u'\t')))) {
            kept += c;
        }
    }
    return kept.trimmed();
}

void SetTabOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* w : controls) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void SetHelpContext(QDialog* window, int context, QPushButton* helpButton) {
    SetHelpContext(window, context);
    GuardedConnect(helpButton, &QPushButton::clicked, window,
                   [helpButton] { ShowHelpFor(helpButton); });
}
