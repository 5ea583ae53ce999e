#include "platform/qt/screenshotHook.h"

#include <cstdio>

#include <QEvent>
#include <QObject>
#include <QPixmap>
#include <QWidget>
#include <QWindow>

namespace {

// Waits for the window's first paint on screen, then takes the picture once.
class ScreenshotHook final : public QObject {
public:
    ScreenshotHook(QWidget& window, QString file)
        : QObject(&window), window_(window), file_(std::move(file)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool exposed = window_.windowHandle() != nullptr && window_.windowHandle()->isExposed();
        if (watched == &window_ && event->type() == QEvent::Paint && exposed) {
            window_.removeEventFilter(this);
            // After this paint and its children's.
            QMetaObject::invokeMethod(this, &ScreenshotHook::takeShot, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void takeShot() {
        if (window_.grab().save(file_, "PNG")) {
            std::printf("Screenshot saved: %s\n", file_.toLocal8Bit().constData());
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "Screenshot not saved: %s\n", file_.toLocal8Bit().constData());
        }
        window_.close();
    }

    QWidget& window_;
    QString file_;
};

}  // namespace

void installScreenshotHook(QWidget& window) {
    const QString file = qEnvironmentVariable("KORVANE_SCREENSHOT");
    if (!file.isEmpty()) new ScreenshotHook(window, file);
}
