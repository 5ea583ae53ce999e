#pragma once
// The two dialog templates and the program's string resources.

#include <string_view>

#include "platform/dialogTemplate.h"

extern const dlg::DialogTemplate mainDialogTemplate;   // IDD_MAIN
extern const dlg::DialogTemplate aboutDialogTemplate;  // IDD_ABOUTBOX

// A string resource by identifier; empty when there is none.
std::string_view resourceString(int stringId);
