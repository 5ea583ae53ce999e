// Korvane on Linux: the application object runs the main dialog over the Qt toolkit.
#include <QApplication>

#include "app/toolApp.h"
#include "platform/qt/chineseTranslations.h"
#include "platform/qt/qtToolkit.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    installChineseTranslations();  // without them, Qt's own texts stay English
    QtToolkit toolkit;
    toolApp.initInstance(toolkit);
    return 0;
}
