// Rules the dialog templates, texts and icon must keep, whatever their contents.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "resources/appIcon.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "tests/support/cp936.h"

namespace {

using dlg::ControlKind;

bool takesInput(ControlKind kind) {
    return kind == ControlKind::pushButton || kind == ControlKind::checkBox || kind == ControlKind::edit ||
           kind == ControlKind::combo;
}

TEST(Resources, OnlyInputControlsHaveIdentifiersAndTabStops) {
    for (const dlg::DialogTemplate* dialog : {&mainDialogTemplate, &aboutDialogTemplate}) {
        std::set<int> ids;
        for (const dlg::ControlTemplate& c : dialog->controls) {
            const bool tabStop = c.styles & dlg::tabStop;
            EXPECT_EQ(tabStop, takesInput(c.kind)) << dialog->id << " control " << c.id;
            if (c.id != dlg::noId) {
                EXPECT_TRUE(ids.insert(c.id).second) << "identifier twice: " << c.id;
            }
            if (c.kind == ControlKind::combo) {
                EXPECT_FALSE(c.entries.empty()) << c.id;
            }
            EXPECT_LE(c.x + c.width, dialog->width + 1) << c.id;
            EXPECT_LE(c.y + (c.kind == ControlKind::combo ? 14 : c.height), dialog->height) << c.id;
        }
    }
    EXPECT_EQ(mainDialogTemplate.control(IDC_STATUS)->styles & dlg::tabStop, 0u) << "the status line is no tab stop";
    EXPECT_EQ(mainDialogTemplate.control(1), nullptr) << "the main window has no OK button";
    for (const dlg::ControlTemplate& c : mainDialogTemplate.controls)
        EXPECT_EQ(c.styles & dlg::defaultButton, 0u) << "and no default push button";
    ASSERT_NE(aboutDialogTemplate.control(IDC_ABOUT_OK), nullptr);
    EXPECT_NE(aboutDialogTemplate.control(IDC_ABOUT_OK)->styles & dlg::defaultButton, 0u);
}

TEST(Resources, MainWindowFrameAndTexts) {
    EXPECT_EQ(mainDialogTemplate.id, IDD_MAIN);
    EXPECT_EQ(mainDialogTemplate.width, 454);
    EXPECT_EQ(mainDialogTemplate.height, 333);
    EXPECT_EQ(std::string(mainDialogTemplate.caption).rfind("KorvaneV3.1--", 0), 0u);
    EXPECT_EQ(std::string(mainDialogTemplate.fontName), cp936("宋体"));
    EXPECT_EQ(mainDialogTemplate.fontPoints, 9);
    EXPECT_EQ(mainDialogTemplate.controls.size(), 40u);
    EXPECT_EQ(std::string(mainDialogTemplate.control(IDC_SEND)->caption), cp936("手动输出"));
    EXPECT_EQ(std::string(mainDialogTemplate.controls.back().caption), cp936("串口号"));
    EXPECT_EQ(mainDialogTemplate.control(IDC_PORT)->entries.size(), 36u);
    EXPECT_STREQ(mainDialogTemplate.control(IDC_PORT)->entries.back(), "COM36");
    EXPECT_EQ(std::string(resourceString(IDS_ABOUT)), cp936("关于 Korvane(&A)..."));
    EXPECT_EQ(resourceString(IDS_ABOUT + 1), "");
    EXPECT_EQ(std::string(aboutDialogTemplate.caption), cp936("关于"));
}

TEST(Resources, IconIsOneOpaqueTileOf32By32) {
    const IconImage* icon = findIcon(IDI_APP);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(findIcon(IDI_APP + 1), nullptr);
    ASSERT_EQ(icon->width, 32);
    ASSERT_EQ(icon->height, 32);
    for (int y = 0; y < 32; ++y) EXPECT_EQ(std::strlen(icon->rows[y]), 32u) << "row " << y;
    std::uint32_t pixels[32 * 32];
    iconPixels(*icon, pixels);
    int opaque = 0;
    for (std::uint32_t p : pixels) {
        const std::uint32_t alpha = p >> 24;
        EXPECT_TRUE(alpha == 0 || alpha == 0xFF);
        opaque += alpha == 0xFF;
    }
    EXPECT_GT(opaque, 32 * 32 * 3 / 4) << "a tile, not a speck";
    EXPECT_EQ(pixels[0], 0u) << "rounded corners are transparent";
    EXPECT_EQ(pixels[16 * 32 + 1] >> 24, 0xFFu);
}

}  // namespace
