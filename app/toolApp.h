#pragma once
// The application object: one per process. Its start-up step runs the main dialog modally;
// when the dialog ends, the program ends.

#include "platform/dialogHost.h"

class ToolApp {
public:
    // Runs the main dialog over the toolkit. False: no message loop follows, the program ends.
    bool initInstance(dlg::DialogToolkit& toolkit);
};

extern ToolApp toolApp;
