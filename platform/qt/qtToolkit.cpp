#include "platform/qt/qtToolkit.h"

#include "platform/qt/iconPixmap.h"
#include "platform/qt/qtDialog.h"
#include "platform/qt/screenshotHook.h"
#include "resources/dialogs.h"

QtToolkit::QtToolkit() : savedMessageBox_(osApi().MessageBoxA) {
    osApi().MessageBoxA = &MessageBoxBridge::messageBoxA;
}

QtToolkit::~QtToolkit() { osApi().MessageBoxA = savedMessageBox_; }

dlg::IconHandle QtToolkit::loadIcon(int iconId) {
    std::unique_ptr<QPixmap>& icon = icons_[iconId];
    if (!icon) {
        QPixmap pixmap = iconPixmap(iconId);
        if (pixmap.isNull()) return nullptr;
        icon = std::make_unique<QPixmap>(std::move(pixmap));
    }
    return icon.get();
}

std::string QtToolkit::loadString(int stringId) { return std::string(resourceString(stringId)); }

int QtToolkit::runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) {
    const int code =
        QtDialog::run(dialog, events, nullptr, [](QtDialog& window) { installScreenshotHook(window); });
    messageBoxes_.stopShowing();
    return code;
}
