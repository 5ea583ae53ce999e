#include "tests/qt/qtTestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include "app/mainDialog.h"
#include "platform/qt/cp936.h"
#include "platform/qt/qtToolkit.h"

std::string gbk(const char* utf8) { return toCp936(QString::fromUtf8(utf8)); }

ShownDialog::ShownDialog(const dlg::DialogTemplate& dialog)
    : window(std::make_unique<QtDialog>(dialog, events)) {
    events.host = window.get();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window.get(), waitMs)) qWarning("the dialog was not exposed in time");
}

ShownDialog::~ShownDialog() = default;

int controlIndexOf(const QtDialog& dialog, const QWidget* widget) {
    for (; widget != nullptr && widget != &dialog; widget = widget->parentWidget())
        for (int i = 0; dialog.controlAt(i) != nullptr; ++i)
            if (dialog.controlAt(i) == widget) return i;
    return -1;
}

ModalWatcher::ModalWatcher(std::function<QWidget*()> find, std::function<void(QWidget*)> answer) {
    constexpr int tickMs = 10;
    poll_.setInterval(tickMs);
    QObject::connect(&poll_, &QTimer::timeout, [this, find = std::move(find), answer = std::move(answer)] {
        if (QWidget* found = find(); found != nullptr && found->isVisible()) {
            poll_.stop();
            answered_ = true;
            answer(found);
            return;
        }
        if (++elapsedTicks_ * tickMs < waitMs) return;
        poll_.stop();
        timedOut_ = true;
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
    });
    poll_.start();
}

std::unique_ptr<ModalWatcher> dismissMessageBox(SeenBox& seen, std::function<void()> onSeen) {
    return std::make_unique<ModalWatcher>(
        [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
        [&seen, onSeen = std::move(onSeen)](QWidget* widget) {
            auto* box = static_cast<QMessageBox*>(widget);
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = box->standardButtons();
            seen.parent = box->parentWidget();
            seen.onGuiThread = box->thread() == QApplication::instance()->thread() &&
                               QThread::currentThread() == QApplication::instance()->thread();
            seen.modal = box->isModal();
            if (onSeen) onSeen();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
}

int runMainDialog(const std::function<void(QtDialog&)>& user) {
    QtToolkit toolkit;
    MainDialog dialog(toolkit);
    QTimer::singleShot(0, [&] {
        QtDialog* window = nullptr;
        const bool up = QTest::qWaitFor(
            [&] {
                window = dynamic_cast<QtDialog*>(QApplication::activeModalWidget());
                return window != nullptr && window->isVisible();
            },
            waitMs);
        if (!up) {
            ADD_FAILURE() << "the main window did not come up";
            return;
        }
        user(*window);
    });
    return dialog.doModal();
}

std::vector<std::string> everyNonZeroByte() {
    std::vector<std::string> cases;
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        cases.emplace_back(1, static_cast<char>(byte));
        all += static_cast<char>(byte);
    }
    cases.push_back(all);
    return cases;
}
