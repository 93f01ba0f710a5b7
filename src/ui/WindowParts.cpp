#include "ui/WindowParts.h"

#include "ui/Guarded.h"
#include "ui/HelpContext.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

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

QToolButton* ToolbarButton(QToolBar* bar, const char* name, const QString& caption,
                           const QIcon& picture) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setIcon(picture);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumSize(44, 52);
    b->setMaximumHeight(52);
    bar->addWidget(b);
    return b;
}

QComboBox* PickList(QWidget* parent, const char* name, const QRect& geometry) {
    auto* c = Placed(new QComboBox(parent), name, geometry);
    c->setEditable(false);
    c->setMaxVisibleItems(15);
    c->view()->setMinimumWidth(160);
    c->setProperty("narrow", geometry.width() < 100);
    return c;
}

namespace {

// A date picker is one stop on the way through a window with Tab, as the system's own is;
// its day, month and year are reached with the arrow keys. Qt's date edit stops at each
// of them, so a user tabbing past it found three stops where one was looked for. The key
// goes to the picker's parent instead, which hands the focus on as for any control.
class TOneTabStop : public QObject {
public:
    explicit TOneTabStop(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        QWidget* parent = static_cast<QWidget*>(watched)->parentWidget();
        if (!parent)
            return false;
        QKeyEvent passed(QEvent::KeyPress, key->key(), key->modifiers());
        QCoreApplication::sendEvent(parent, &passed);
        return true;
    }
};

} // namespace

void SetUpDatePicker(QDateTimeEdit* picker, const char* name, const QRect& geometry,
                     const QString& format, int slimTextPixels) {
    Placed(picker, name, geometry);
    picker->installEventFilter(new TOneTabStop(picker));
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
