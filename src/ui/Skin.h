#pragma once

class QWidget;

// Gives one of the program's own windows the skin: its palette, and the style sheet
// on each of its parts. The window itself carries no sheet, so message boxes and
// file dialogs that it owns keep the system look.
void ApplySkin(QWidget* window);

// The pictures compiled into the program.
class QIcon;
QIcon ToolPicture(int index); // 0..13
QIcon WindowPicture();
