#pragma once
// Message boxes: the dialog's own, and the operations table's MessageBoxA, which the serial
// engine's monitor thread calls to report an error.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include <QObject>
#include <QString>

#include "platform/winTypes.h"

class QWidget;

// A modal box with the exclamation icon and an OK button; returns once it is dismissed.
void showWarningBox(QWidget* parent, const QString& caption, const QString& text);

// Shows MessageBoxA's boxes on the GUI thread. A box asked for by another thread blocks that
// thread until the user has dismissed it, as a message box does on Windows. Lives on the GUI
// thread; while it exists it answers MessageBoxA.
class MessageBoxBridge final : public QObject {
    Q_OBJECT

public:
    MessageBoxBridge();
    ~MessageBoxBridge() override;  // threads still waiting return at once

    // What osApi().MessageBoxA points at while a bridge exists. Returns IDOK.
    static int WINAPI messageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

    // The program's window has ended: threads waiting for a box return now, and later boxes
    // go to standard error instead. The window's owner may wait for such a thread to end (the
    // serial object's destruction does), and no event loop will show the box any more.
    void stopShowing();

private:
    struct Request {
        std::string caption;
        std::string text;
        bool done = false;
    };

    int show(const char* caption, const char* text);
    Q_INVOKABLE void showPending();  // on the GUI thread

    const std::thread::id guiThread_;
    // The waiting requests, and their answers, pass between threads under this lock only.
    std::mutex mutex_;
    std::condition_variable answered_;
    std::deque<Request*> pending_;
    bool stopped_ = false;
};
