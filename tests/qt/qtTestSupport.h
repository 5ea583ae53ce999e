#pragma once
// Helpers shared by the Qt host's tests.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QTimer>

#include "platform/dialogTemplate.h"
#include "platform/qt/qtDialog.h"
#include "tests/qt/recordingEvents.h"

class QMessageBox;

// Generous: the tests run on loaded two-core machines.
inline constexpr int waitMs = 20000;

// Each byte 01..FF alone, then all of them in one string.
std::vector<std::string> everyNonZeroByte();

// CP936 bytes of UTF-8 source text, for what the logic would hand the host.
std::string gbk(const char* utf8);

// A dialog built from a template and shown, outside of a modal run.
struct ShownDialog {
    explicit ShownDialog(const dlg::DialogTemplate& dialog);
    ~ShownDialog();
    RecordingEvents events;
    std::unique_ptr<QtDialog> window;
    QtDialog& operator*() { return *window; }
    QtDialog* operator->() { return window.get(); }
};

// The template control a widget belongs to (a combo's edit field belongs to the combo), as
// its place in the template; -1 when it is none.
int controlIndexOf(const QtDialog& dialog, const QWidget* widget);

// Watches, from the GUI thread's event loop, for a window the code under test opens and
// blocks in (a message box, a menu), and answers it once. Gives up after waitMs, closing
// what is open so that the test goes on and fails instead of hanging.
class ModalWatcher {
public:
    ModalWatcher(std::function<QWidget*()> find, std::function<void(QWidget*)> answer);
    bool answered() const { return answered_; }
    bool timedOut() const { return timedOut_; }

private:
    QTimer poll_;
    int elapsedTicks_ = 0;
    bool answered_ = false;
    bool timedOut_ = false;
};

// Runs the program's main dialog modally on the Qt toolkit; `user` plays the user once the
// window is up and must end the dialog. Returns the end code.
int runMainDialog(const std::function<void(QtDialog&)>& user);

// What a message box showed, as the watcher saw it.
struct SeenBox {
    QString title;
    QString text;
    int icon = -1;  // QMessageBox::Icon
    int buttons = 0;
    QWidget* parent = nullptr;
    bool onGuiThread = false;
    bool modal = false;
};

// Finds the modal message box, writes down what it shows, then clicks its OK button.
// `onSeen` runs before the click.
std::unique_ptr<ModalWatcher> dismissMessageBox(SeenBox& seen, std::function<void()> onSeen = {});
