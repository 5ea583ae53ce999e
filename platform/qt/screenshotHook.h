#pragma once
// Development hook for scripts and review: with KORVANE_SCREENSHOT=<file> in the
// environment, the main window saves a PNG picture of itself to that file once it is shown
// and has painted, prints "Screenshot saved: <file>" and then asks to close, as the
// title-bar close button does. Without the variable it does nothing.

class QWidget;

void installScreenshotHook(QWidget& window);
