#include "ui/WindowParts.h"

#include "ui/Guarded.h"
#include "ui/HelpContext.h"

#include <QDialog>
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

QString SavedText(const QString& text, bool memo) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text)
        if (c.category() != QChar::Other_Control || (memo && (c == u'\n' || c == u'\t')))
            kept += c;
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
