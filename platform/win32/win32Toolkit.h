#pragma once
// The Win32 toolkit: the program's resources (compiled from resources/korvane.rc into the
// executable) and its first modal dialog.

#include "platform/dialogHost.h"

namespace win32 {

class Win32Toolkit final : public dlg::DialogToolkit {
public:
    // The handle is the HICON; the system owns it (a shared icon). nullptr for an unknown icon.
    dlg::IconHandle loadIcon(int iconId) override;
    std::string loadString(int stringId) override;
    int runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) override;
};

}  // namespace win32
