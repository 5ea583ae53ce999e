#pragma once
// A dialog described as data: its frame and its controls in template order (which is also
// the tab order). Every host builds its window from these tables, so the layout has one
// source. Positions and sizes are in dialog units of the dialog's font; texts are CP936 bytes.

#include <cstdint>
#include <span>

namespace dlg {

// Controls without an identifier of their own (labels, group boxes, lines) carry this one.
inline constexpr int noId = -1;

enum class ControlKind {
    label,       // static text, left-aligned, wraps; '\n' breaks a line
    groupBox,    // a frame with a caption
    line,        // a grey rectangle with a static edge: a separator line
    icon,        // a static picture of the icon named by iconId
    statusText,  // static text meant to be rewritten (the status line)
    pushButton,
    checkBox,
    edit,
    combo,       // drop-down list with an edit field
};

// Styles of a control; which ones matter depends on its kind.
enum ControlStyle : std::uint32_t {
    tabStop = 1u << 0,
    vScroll = 1u << 1,         // vertical scroll bar (edit, combo list)
    autoHScroll = 1u << 2,     // single-line edit scrolls horizontally instead of stopping
    multiLine = 1u << 3,       // edit: several lines, long lines wrap
    wantReturn = 1u << 4,      // multi-line edit: Enter inserts a line break instead of OK
    digitsOnly = 1u << 5,      // edit: accepts only the digits 0-9 from the keyboard
    readOnly = 1u << 6,        // edit: text can be selected and copied, not changed
    sunken = 1u << 7,          // sunken edge (client edge on edits, sunken frame on statics)
    defaultButton = 1u << 8,   // push button that Enter presses when no other button has focus
    autoCheck = 1u << 9,       // check box toggles itself when clicked
};

// Styles of the dialog frame.
enum DialogStyle : std::uint32_t {
    systemMenu = 1u << 0,
    minimizeBox = 1u << 1,
    appWindow = 1u << 2,  // shown on the task bar as an application of its own
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* caption;  // nullptr: no caption
    int x, y, width, height;  // a combo's height includes its dropped-down list
    std::uint32_t styles;
    std::span<const char* const> entries = {};  // a combo's initial list, in order
    int iconId = 0;                             // kind icon: which icon
};

struct DialogTemplate {
    int id;
    const char* caption;
    const char* fontName;
    int fontPoints;
    int width, height;
    std::uint32_t styles;
    std::span<const ControlTemplate> controls;

    // The control with this identifier, or nullptr.
    const ControlTemplate* control(int controlId) const {
        for (const ControlTemplate& c : controls)
            if (c.id == controlId && controlId != noId) return &c;
        return nullptr;
    }
};

}  // namespace dlg
