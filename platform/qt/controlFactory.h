#pragma once
// One widget per template control, of the matching Qt class, with its styles and its place.

#include <QWidget>

#include "platform/dialogTemplate.h"
#include "platform/qt/dialogUnits.h"

// Creates the control as a child of `dialog`. Focus policy and tab order are the dialog's
// business; static controls (labels, frames, lines, icons) let the mouse through to what
// lies beneath them.
QWidget* createControl(const dlg::ControlTemplate& control, const DialogUnits& units, QWidget* dialog);

// Adds a combo entry at the end; a combo without a selection keeps none (Qt would select
// the first entry of an empty combo).
int addComboEntry(class QComboBox& combo, const QString& text);
