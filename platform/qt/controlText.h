#pragma once
// What a control's text is, per widget class: an edit's contents, a combo's edit field, a
// static's or a button's caption, a group box's title. The logic's texts are CP936 bytes.

#include <string>
#include <string_view>

class QWidget;

std::string controlText(const QWidget* control);  // empty for a control without text
void setControlText(QWidget* control, std::string_view text);
// Multi-line edits take pieces of received data; other controls get the whole text again.
void appendControlText(QWidget* control, std::string_view text);
