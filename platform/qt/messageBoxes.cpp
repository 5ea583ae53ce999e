#include "platform/qt/messageBoxes.h"

#include <atomic>
#include <cstdio>

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

#include "platform/qt/cp936.h"

namespace {

std::atomic<MessageBoxBridge*> activeBridge{nullptr};

}  // namespace

void showWarningBox(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

MessageBoxBridge::MessageBoxBridge() : guiThread_(std::this_thread::get_id()) { activeBridge.store(this); }

MessageBoxBridge::~MessageBoxBridge() {
    activeBridge.store(nullptr);
    stopShowing();
}

void MessageBoxBridge::stopShowing() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        for (Request* request : pending_) {
            std::fprintf(stderr, "%s: %s\n", request->caption.c_str(), request->text.c_str());
            request->done = true;
        }
        pending_.clear();
    }
    answered_.notify_all();
}

int WINAPI MessageBoxBridge::messageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    MessageBoxBridge* bridge = activeBridge.load();
    return bridge != nullptr ? bridge->show(caption, text) : IDOK;
}

int MessageBoxBridge::show(const char* caption, const char* text) {
    Request request{caption != nullptr ? caption : "", text != nullptr ? text : ""};
    if (std::this_thread::get_id() == guiThread_) {
        showWarningBox(QApplication::activeWindow(), fromCp936(request.caption), fromCp936(request.text));
        return IDOK;
    }
    {
        std::lock_guard lock(mutex_);
        if (stopped_) {
            std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
            return IDOK;
        }
        pending_.push_back(&request);
    }
    QMetaObject::invokeMethod(this, "showPending", Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&request] { return request.done; });
    return IDOK;
}

void MessageBoxBridge::showPending() {
    for (;;) {
        Request* request = nullptr;
        QString caption;
        QString text;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) return;
            request = pending_.front();
            pending_.pop_front();
            caption = fromCp936(request->caption);
            text = fromCp936(request->text);
        }
        showWarningBox(QApplication::activeWindow(), caption, text);
        {
            std::lock_guard lock(mutex_);
            request->done = true;
        }
        answered_.notify_all();
    }
}
