#include "app/toolApp.h"

#include "app/mainDialog.h"

ToolApp toolApp;

bool ToolApp::initInstance(dlg::DialogToolkit& toolkit) {
    // The hosts give dialogs their control container and their look themselves.
    {
        MainDialog dialog(toolkit);
        dialog.doModal();  // OK or Cancel: the program ends either way
    }
    return false;  // no message loop follows
}
