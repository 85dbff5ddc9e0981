#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Small layout helpers of the editing dialogs; positions and sizes are those
// of a 96-dpi screen.

// The dialogs' font: the application font at 11 pixels.
void SetDialogFont(QWidget *dialog);
// A field width that holds sample with room for the frame, at least minimum.
int FieldWidth(const QWidget *dialog, const QString &sample, int minimum);
// A label at (x, y) sized to its text; buddy is the control it names.
QLabel *DialogLabel(QWidget *parent, const QString &text, int x, int y, QWidget *buddy = nullptr);
// A 75 × 25 push button that is never a default button.
QPushButton *DialogButton(QWidget *parent, const QString &text, int x, int y);
// Centres a window on the screen it is on.
void CentreOnScreen(QWidget *window);
