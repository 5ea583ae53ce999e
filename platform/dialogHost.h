#pragma once
// The dialog host: what the dialog logic needs of a window toolkit. One host object stands
// for one open dialog window; a toolkit creates hosts and runs them modally. The logic never
// sees the toolkit itself. Texts cross this seam as CP936 bytes; hosts convert.
//
// Hosts: platform/qt (Linux), platform/win32 (Windows), tests/support/fakeDialogHost (tests).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/dialogTemplate.h"
#include "platform/outputFile.h"

namespace dlg {

// End codes of a modal dialog.
inline constexpr int idOk = 1;
inline constexpr int idCancel = 2;

// An icon loaded by the toolkit; opaque to the logic.
using IconHandle = const void*;

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// What a host tells the dialog.
enum class EventKind {
    click,           // a push button or check box was clicked; id = the control
    timer,           // id = the timer
    systemCommand,   // id = the command identifier, low four bits included
    paint,           // the window needs painting
    queryDragIcon,   // the system asks which icon to show while the minimized window is dragged
    close,           // close request: title-bar button, Alt+F4, Close in the system menu
    devicesChanged,  // serial devices may have come or gone (after watchDevices); id unused
};

struct DialogEvent {
    EventKind kind;
    int id = 0;
};

// A handler's answer. `handled` false asks the host for its default processing: default
// painting, the default system command, and for a close request, Cancel.
struct EventResult {
    bool handled = true;
    IconHandle icon = nullptr;  // the answer to queryDragIcon
    static EventResult defaultProcessing() { return {false, nullptr}; }
};

class DialogHost;

// The dialog side of the seam: the host calls these on the UI thread.
class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // The window and its controls exist (combos hold their template entries) and the window is
    // not shown yet. True: the host focuses the first tab stop.
    virtual bool onInitDialog(DialogHost& host) = 0;
    virtual EventResult onEvent(const DialogEvent& event) = 0;
    // Enter (unless the focus is on a push button or in a control that takes Enter itself).
    virtual void onOk() = 0;
    // Escape, and the default processing of a close request.
    virtual void onCancel() = 0;
};

// One open dialog window.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Control text, replaced or read as a whole; appendText adds at the end without moving the
    // caret or the view, at a cost that grows with the added text only.
    virtual std::string text(int id) const = 0;
    virtual void setText(int id, std::string_view text) = 0;
    virtual void appendText(int id, std::string_view text) = 0;
    // The window's own caption.
    virtual void setCaption(std::string_view text) = 0;

    virtual int checked(int id) const = 0;  // 0 off, 1 on
    virtual void setChecked(int id, int state) = 0;

    virtual void enable(int id, bool on) = 0;  // a disabled control takes no input
    virtual bool isEnabled(int id) const = 0;

    // Combo entries: added at the end, never sorted; selection -1 is none, and the text of an
    // entry that does not exist reads as empty.
    virtual void comboReset(int id) = 0;
    virtual int comboAdd(int id, std::string_view text) = 0;  // index of the new entry
    virtual void comboSelect(int id, int index) = 0;          // out of range: no selection
    virtual int comboSelection(int id) const = 0;
    virtual int comboCount(int id) const = 0;
    virtual std::string comboEntry(int id, int index) const = 0;

    // Keyboard focus to the control, with its whole text selected.
    virtual void focusSelectAll(int id) = 0;

    // A timer event with the identifier every `ms` milliseconds, on the UI thread. Setting a
    // running identifier again replaces its period; killing a stopped one is harmless.
    virtual void setTimer(int id, unsigned ms) = 0;
    virtual void killTimer(int id) = 0;

    // Modal message box over this window: OK only, exclamation icon, the program's name as
    // caption. Returns when the user has dismissed it.
    virtual void messageBox(std::string_view text) = 0;

    // The window's system menu (on hosts without one, the dialog's context menu). False when
    // the window has none; the append calls then do nothing.
    virtual bool hasSystemMenu() const = 0;
    virtual void appendMenuSeparator() = 0;
    virtual void appendMenuItem(int command, std::string_view text) = 0;
    // An appended item's check mark (items start without one) and its text.
    virtual void setMenuItemChecked(int command, bool on) = 0;
    virtual void setMenuItemText(int command, std::string_view text) = 0;

    // The platform's save-file dialog over this window, opening in the user's documents folder
    // with fileName filled in; it asks before an existing file is replaced. False when the user
    // cancels. The choice comes as the host's own path, for createFile, and as CP936 text, for
    // messages.
    virtual bool askSaveFile(std::string_view fileName, std::string& path, std::string& shownPath) = 0;
    // Creates the file at path for writing, emptying one that is there; null and why on failure.
    virtual std::unique_ptr<OutputFile> createFile(const std::string& path, FileError& error) = 0;

    // From now on the host tells devicesChanged when serial devices appear or go (an adapter
    // plugged in or pulled, a virtual port's link made or removed). A burst of system
    // notifications may come as one event; an event may also come when nothing changed.
    virtual void watchDevices() = 0;

    // One icon as the window's big and small icon.
    virtual void setIcon(IconHandle icon) = 0;

    // Painting of the minimized window, between beginPaint and endPaint.
    virtual bool isMinimized() const = 0;
    virtual Size clientSize() const = 0;
    virtual Size systemIconSize() const = 0;  // the system's icon width and height
    virtual void beginPaint() = 0;
    virtual void eraseIconBackground() = 0;
    virtual void drawIcon(int x, int y, IconHandle icon) = 0;
    virtual void endPaint() = 0;

    // Ends the modal run with this code once the current event has been handled.
    virtual void endDialog(int code) = 0;

    // Runs another dialog modally over this window; returns its end code.
    virtual int runModal(const DialogTemplate& dialog, DialogEvents& events) = 0;
};

// The toolkit: resources and the first modal run.
class DialogToolkit {
public:
    virtual ~DialogToolkit() = default;
    virtual IconHandle loadIcon(int iconId) = 0;
    // A string resource; empty when there is none.
    virtual std::string loadString(int stringId) = 0;
    // Builds the window from the template, calls onInitDialog, shows it and runs until
    // endDialog; returns the end code.
    virtual int runModal(const DialogTemplate& dialog, DialogEvents& events) = 0;
};

}  // namespace dlg
