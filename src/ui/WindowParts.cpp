#include "ui/WindowParts.h"

#include "ui/Guarded.h"
#include "ui/HelpContext.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <vector>

void SetupFixedWindow(QDialog* window, const QString& caption, int clientWidth, int clientHeight) {
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(clientWidth, clientHeight);
    QFont bold = window->font();
    bold.setBold(true);
    window->setFont(bold);
}

void SetOuterSize(QWidget* window, const QSize& outer) {
    const QSize frame = window->frameGeometry().size() - window->size();
    const QSize client = outer - frame;
    if (client == window->size())
        return;
    const QPoint centre = window->geometry().center();
    window->resize(client);
    window->move(window->pos() + centre - window->geometry().center());
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

QToolBar* WindowToolbar(QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QStringLiteral("tlb1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setFixedHeight(57);
    return bar;
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

void SetUpDatePicker(QDateTimeEdit* picker, const char* name, const QRect& geometry,
                     const QString& format, int slimTextPixels) {
    Placed(picker, name, geometry);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(format);
    if (slimTextPixels > 0) {
        picker->setStyleSheet(QStringLiteral("QDateTimeEdit { padding-left: 0px; padding-right: "
                                             "0px; } QDateTimeEdit::drop-down { width: 11px; }"));
        // The window's face and weight at the smaller size; a size in the sheet would
        // put the application's face in their place.
        QFont small = picker->font();
        small.setPixelSize(slimTextPixels);
        picker->setFont(small);
    }
}

void TabToCheckedRadio(std::initializer_list<QRadioButton*> buttons) {
    const std::vector<QPointer<QRadioButton>> group(buttons.begin(), buttons.end());
    const auto follow = [group] {
        bool anyChecked = false;
        for (QRadioButton* b : group)
            anyChecked = anyChecked || (b && b->isChecked());
        for (QRadioButton* b : group)
            if (b)
                b->setFocusPolicy(!anyChecked || b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    for (QRadioButton* b : buttons)
        QObject::connect(b, &QRadioButton::toggled, b, follow);
    follow();
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
