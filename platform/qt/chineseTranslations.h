#pragma once
// Qt's own texts (message box buttons, the edit boxes' context menu) in Simplified Chinese, as
// the rest of the window is, whatever the machine's locale.

#include <QString>

// Loads Qt's Simplified Chinese translations from `folder` (Qt's translations folder when
// empty) into the running application. False when they cannot be loaded: Qt's texts stay
// English.
bool installChineseTranslations(const QString& folder = {});
