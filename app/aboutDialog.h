#pragma once
// The About box: the icon, the version, a line about the program, the maker's credit and OK.

#include "app/dialog.h"
#include "resources/dialogs.h"

class AboutDialog : public Dialog {
public:
    explicit AboutDialog(dlg::DialogToolkit& toolkit) : Dialog(toolkit, aboutDialogTemplate) {}
};
