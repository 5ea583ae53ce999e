#pragma once
// The Qt toolkit: the program's resources and its first modal dialog. While a toolkit
// exists, the operations table's MessageBoxA shows Qt message boxes.

#include <map>
#include <memory>
#include <string>

#include <QPixmap>

#include "platform/dialogHost.h"
#include "platform/osApi.h"
#include "platform/qt/messageBoxes.h"

class QtToolkit final : public dlg::DialogToolkit {
public:
    QtToolkit();
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    // The handle points at a pixmap the toolkit keeps; nullptr for an unknown icon.
    dlg::IconHandle loadIcon(int iconId) override;
    std::string loadString(int stringId) override;
    int runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) override;

private:
    std::map<int, std::unique_ptr<QPixmap>> icons_;
    MessageBoxBridge messageBoxes_;
    decltype(OsApi::MessageBoxA) savedMessageBox_;
};
