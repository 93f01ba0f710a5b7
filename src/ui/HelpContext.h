#pragma once

class QWidget;

// Asks the help for a topic by its context number, from the given window.
void ShowHelpContext(QWidget* caller, int context);
