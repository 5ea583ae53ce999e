// Korvane on Linux: the application object runs the main dialog over the Qt toolkit.
#include <QApplication>

#include "app/toolApp.h"
#include "platform/qt/chineseTranslations.h"
#include "platform/qt/qtToolkit.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The installed menu entry's name, by which Wayland desktops match the window to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KORVANE_APP_ID));
    installChineseTranslations();  // without them, Qt's own texts stay English
    QtToolkit toolkit;
    toolApp.initInstance(toolkit);
    return 0;
}
