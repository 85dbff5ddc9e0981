#pragma once

#include "support/MsgBox.h"

class QMessageBox;
class QWidget;

// The real message box behind ShowMsgBox: a modal QMessageBox with the
// request's caption and text, the kind's icon and German button texts.
//
// Buttons appear in the order MsgBoxButtonIds gives; the first one is the
// default button (Enter). Esc and the close box behave like a Windows message
// box: they answer Cancel where the box has a Cancel button and OK where OK is
// the only button; boxes with Yes/No or Abort/Retry/Ignore but no Cancel
// cannot be closed that way (Esc does nothing, the close box is refused), the
// user has to choose.

// Installs the handler. Call once after the QApplication exists.
void InstallMsgBoxDialog();

// Builds (without showing) the box for a request; the caller owns it. Used by
// the handler and by tests that inspect the box.
QMessageBox *CreateMsgBox(const TMsgBoxRequest &request, QWidget *parent);

// The identifier (idOK ... idNo) of the button that closed a box built by
// CreateMsgBox, or 0 while no button has been pressed.
int MsgBoxResult(const QMessageBox *box);

// Shows the box modal to parent and returns the identifier of the pressed
// button. Must run on the GUI thread.
int ExecMsgBox(const TMsgBoxRequest &request, QWidget *parent);
