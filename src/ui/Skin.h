#pragma once

class QWidget;

// Gives one of the program's own windows the skin: its palette, and the style sheet
// on each of its parts. The window itself carries no sheet, so message boxes and
// file dialogs that it owns keep the system look.
void ApplySkin(QWidget* window);

// The pictures compiled into the program: the toolbars' (pictures/tool00.png to
// tool13.png, in this order) and the windows' icon.
enum class TToolPicture {
    Deposit,
    Debit,
    Transfer,
    Property,
    History,
    Help,
    Print,
    Exit,
    Query,
    Export,
    WebPage,
    Edit,
    Delete,
    Copy,
};
class QIcon;
QIcon ToolPicture(TToolPicture picture);
QIcon WindowPicture();
