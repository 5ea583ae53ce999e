// The About box, and the string table.
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"

using namespace dlg;

namespace {

constexpr ControlTemplate aboutControls[] = {
        {noId, ControlKind::icon, nullptr, 11, 17, 20, 20, 0, {}, IDI_APP},
        {noId, ControlKind::label, text::aboutVersion, 40, 10, 119, 8, 0},
        {noId, ControlKind::label, text::aboutLine, 40, 24, 119, 8, 0},
        {IDC_ABOUT_OK, ControlKind::pushButton, text::okButton, 178, 7, 50, 14,
          tabStop | defaultButton},
        {noId, ControlKind::label, text::aboutCredit, 39, 38, 119, 8, 0},
};

}  // namespace

extern const DialogTemplate aboutDialogTemplate = {
        IDD_ABOUTBOX, text::aboutCaption, text::dialogFont, 9, 235, 55, systemMenu, aboutControls};

std::string_view resourceString(int stringId) {
    return stringId == IDS_ABOUT ? std::string_view(text::aboutMenuItem) : std::string_view();
}
