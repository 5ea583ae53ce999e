// The two real dialogs as built: every control with its caption, widget class, styles and
// place; the dialog font and its units; the tab order.
#include <cmath>
#include <vector>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/qt/cp936.h"
#include "platform/qt/dialogUnits.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "tests/qt/qtTestSupport.h"

using dlg::ControlKind;

namespace {

// The captions as the user reads them, in template order; nullptr where there is none.
const std::vector<const char*> mainCaptions = {
    nullptr,      nullptr,     nullptr,     nullptr,
    nullptr,      "波特率",    "校验位",    "数据位",
    "停止位",     "串口参数",  "打开",      nullptr,
    nullptr,      nullptr,     "手动输出",  "操作",
    "接收包大小", "接收(RX):", "发送(TX):", nullptr,
    nullptr,      nullptr,     "清空",      "设置",
    "状态：",     nullptr,     "输出：",    "接收：",
    "计数清零",   "暂停显示",  "清空",      "提醒:接收包大小只在性能特殊\n\n要求情况下考虑设置!",
    "十六进制",   "十六进制",  "定时输出",  nullptr,
    "周期(ms)：", "填充",      "自动清空",  "串口号"};
const std::vector<const char*> aboutCaptions = {nullptr, "Korvane3.1 版", "无线模块串口调试工具", "确定",
                                                "科瓦讯射频工作室 出品"};

// Pixels of dialog units, worked out here from the font rather than taken from the host.
struct ExpectedUnits {
    double baseX;
    double baseY;
    explicit ExpectedUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        int sum = 0;
        for (QChar c : QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))
            sum += metrics.horizontalAdvance(c);
        baseX = std::floor(sum / 52.0 + 0.5);
        baseY = metrics.height();
    }
    int x(int du) const { return static_cast<int>(std::lround(du * baseX / 4)); }
    int y(int du) const { return static_cast<int>(std::lround(du * baseY / 8)); }
};

QString shownCaption(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title();
    return {};
}

const char* widgetClass(const dlg::ControlTemplate& source) {
    switch (source.kind) {
        case ControlKind::label:
        case ControlKind::statusText:
        case ControlKind::icon:
            return "QLabel";
        case ControlKind::groupBox:
            return "QGroupBox";
        case ControlKind::line:
            return "QFrame";
        case ControlKind::pushButton:
            return "QPushButton";
        case ControlKind::checkBox:
            return "QCheckBox";
        case ControlKind::edit:
            return (source.styles & dlg::multiLine) ? "QPlainTextEdit" : "QLineEdit";
        case ControlKind::combo:
            return "QComboBox";
    }
    return "";
}

// The widget class and the styles that matter for its kind.
void expectKind(const dlg::ControlTemplate& source, QWidget* w) {
    ASSERT_TRUE(w->inherits(widgetClass(source))) << w->metaObject()->className();
    const bool isStatic = source.kind == ControlKind::label || source.kind == ControlKind::groupBox ||
                          source.kind == ControlKind::line || source.kind == ControlKind::icon;
    EXPECT_EQ(w->testAttribute(Qt::WA_TransparentForMouseEvents), isStatic);
    const bool readOnly = (source.styles & dlg::readOnly) != 0;
    if (auto* label = qobject_cast<QLabel*>(w)) {
        EXPECT_EQ(label->wordWrap(), source.kind == ControlKind::label);
        if (source.kind == ControlKind::statusText) {
            EXPECT_EQ(label->frameStyle(), QFrame::Panel | QFrame::Sunken);
        }
        if (source.kind == ControlKind::icon) {
            EXPECT_EQ(label->pixmap().size(), QSize(32, 32));
        }
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        EXPECT_EQ(button->isDefault(), (source.styles & dlg::defaultButton) != 0);
        EXPECT_FALSE(button->autoDefault());
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(edit->isReadOnly(), readOnly);
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        EXPECT_EQ(line->isReadOnly(), readOnly);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        EXPECT_TRUE(combo->isEditable());
        EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
        std::vector<QString> entries;
        for (int i = 0; i < combo->count(); ++i) entries.push_back(combo->itemText(i));
        EXPECT_EQ(entries, std::vector<QString>(source.entries.begin(), source.entries.end()));
        EXPECT_EQ(combo->currentIndex(), -1);  // loading the list selects nothing
        EXPECT_EQ(combo->currentText(), QString());
    } else if (source.kind == ControlKind::line) {
        EXPECT_EQ(static_cast<QFrame*>(w)->frameStyle(), QFrame::HLine | QFrame::Sunken);
    }
}

void expectPlace(const dlg::ControlTemplate& source, QWidget* w, const ExpectedUnits& units) {
    EXPECT_EQ(w->x(), units.x(source.x));
    EXPECT_EQ(w->y(), units.y(source.y));
    if (source.kind == ControlKind::icon) {
        EXPECT_EQ(w->size(), QSize(32, 32));  // the icon's own size
        return;
    }
    EXPECT_EQ(w->width(), units.x(source.width));
    if (source.kind != ControlKind::combo) {
        EXPECT_EQ(w->height(), units.y(source.height));
        return;
    }
    // The combo is its edit field; the dropped list fills the rest of the template height.
    auto* combo = static_cast<QComboBox*>(w);
    EXPECT_LT(w->height(), units.y(source.height));
    const int rowHeight = combo->view()->sizeHintForRow(0);
    EXPECT_GE(combo->maxVisibleItems(), 1);
    EXPECT_LE(w->height() + combo->maxVisibleItems() * rowHeight, units.y(source.height));
    EXPECT_GT(w->height() + (combo->maxVisibleItems() + 1) * rowHeight, units.y(source.height));
}

void expectLayout(const dlg::DialogTemplate& dialog, const std::vector<const char*>& captions,
                  const char* caption) {
    ShownDialog shown(dialog);
    const ExpectedUnits units(shown->font());
    EXPECT_EQ(shown->windowTitle(), QString::fromUtf8(caption));
    EXPECT_EQ(shown->size(), QSize(units.x(dialog.width), units.y(dialog.height)));
    EXPECT_EQ(shown->minimumSize(), shown->maximumSize());  // not resizable

    ASSERT_EQ(dialog.controls.size(), captions.size());
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const dlg::ControlTemplate& source = dialog.controls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " (id " << source.id << ")");
        QWidget* w = shown->controlAt(static_cast<int>(i));
        ASSERT_NE(w, nullptr);
        if (source.id != dlg::noId) {
            EXPECT_EQ(w->objectName(), QStringLiteral("control%1").arg(source.id));
            EXPECT_EQ(shown->control(source.id), w);
        }
        EXPECT_EQ(shownCaption(w), captions[i] != nullptr ? QString::fromUtf8(captions[i]) : QString());
        expectKind(source, w);
        expectPlace(source, w, units);
    }
    EXPECT_EQ(shown->controlAt(static_cast<int>(captions.size())), nullptr);
}

// Presses Tab from the first tab stop round the dialog and back, noting which control has
// the focus each time.
void expectTabOrder(const dlg::DialogTemplate& dialog) {
    ShownDialog shown(dialog);
    std::vector<int> expected;
    for (std::size_t i = 0; i < dialog.controls.size(); ++i)
        if (dialog.controls[i].styles & dlg::tabStop) expected.push_back(static_cast<int>(i));
    ASSERT_FALSE(expected.empty());

    shown->controlAt(expected.front())->setFocus(Qt::TabFocusReason);
    std::vector<int> visited;
    for (std::size_t step = 0; step <= expected.size(); ++step) {
        visited.push_back(controlIndexOf(*shown, shown->focusWidget()));
        QTest::keyClick(shown->focusWidget(), Qt::Key_Tab);
    }
    expected.push_back(expected.front());  // round to the start
    EXPECT_EQ(visited, expected);
}

TEST(Layout, MainDialogControlsHaveTheirCaptionsKindsAndPlaces) {
    expectLayout(mainDialogTemplate, mainCaptions, "KorvaneV3.1--科瓦讯射频工作室 出品");
}

TEST(Layout, AboutBoxControlsHaveTheirCaptionsKindsAndPlaces) {
    expectLayout(aboutDialogTemplate, aboutCaptions, "关于");
}

// Controls that take the focus by a click only, between tab stops.
constexpr dlg::ControlTemplate mixedControls[] = {
    {10, ControlKind::edit, nullptr, 4, 4, 40, 12, dlg::tabStop},
    {11, ControlKind::edit, nullptr, 4, 20, 40, 12, 0},
    {12, ControlKind::pushButton, "b", 50, 4, 30, 12, dlg::tabStop},
    {13, ControlKind::pushButton, "c", 50, 20, 30, 12, 0},
    {dlg::noId, ControlKind::label, "l", 4, 36, 40, 8, 0},
    {14, ControlKind::checkBox, "d", 50, 36, 30, 10, dlg::tabStop},
    {15, ControlKind::combo, nullptr, 4, 48, 40, 40, dlg::tabStop},
};
constexpr dlg::DialogTemplate mixedTemplate = {600, "mixed", "x", 9, 100, 100, 0, mixedControls};

TEST(Layout, TabVisitsTheTabStopsInTemplateOrder) {
    for (const dlg::DialogTemplate* dialog : {&mainDialogTemplate, &aboutDialogTemplate, &mixedTemplate}) {
        SCOPED_TRACE(dialog->id);
        expectTabOrder(*dialog);
    }
    // Off the tab order, an edit or a button still takes the focus when clicked.
    ShownDialog shown(mixedTemplate);
    for (int id : {11, 13}) {
        QTest::mouseClick(shown->control(id), Qt::LeftButton);
        EXPECT_EQ(shown->focusWidget(), shown->control(id)) << id;
    }
}

TEST(Layout, ChineseDialogFontIsAnInstalledCjkFontAtItsSize) {
    ShownDialog shown(mainDialogTemplate);
    const QStringList installed = QFontDatabase::families();
    const QString expected =
        installed.contains(QStringLiteral("WenQuanYi Zen Hei"))  ? QStringLiteral("WenQuanYi Zen Hei")
        : installed.contains(QStringLiteral("Noto Sans CJK SC")) ? QStringLiteral("Noto Sans CJK SC")
                                                                 : QString();
    ASSERT_FALSE(expected.isEmpty()) << "no Chinese font installed (fonts-wqy-zenhei)";
    EXPECT_EQ(QFontInfo(shown->font()).family(), expected);
    EXPECT_EQ(shown->font().pointSize(), 9);
    EXPECT_TRUE(QFontMetrics(shown->font()).inFont(QChar(0x4E32)));  // 串
    // The units follow the font: a 9-point font is about 12 pixels high and half as wide.
    EXPECT_EQ(shown->units().baseY, QFontMetrics(shown->font()).height());
    EXPECT_GE(shown->units().baseX, 4);
    EXPECT_LE(shown->units().baseX, 10);
}

TEST(Layout, DialogUnitsFollowTheFontAtEverySize) {
    for (int points = 5; points <= 40; ++points) {
        const QFont font = dialogFont(QString::fromUtf8("宋体"), points);
        const ExpectedUnits expected(font);
        const DialogUnits units = DialogUnits::of(font);
        EXPECT_EQ(units.baseX, expected.baseX) << points << " pt";
        EXPECT_EQ(units.baseY, expected.baseY) << points << " pt";
    }
}

TEST(Layout, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(mulDiv(5, 7, 4), 9);    // 8.75
    EXPECT_EQ(mulDiv(2, 7, 4), 4);    // 3.5
    EXPECT_EQ(mulDiv(3, 5, 4), 4);    // 3.75
    EXPECT_EQ(mulDiv(1, 5, 4), 1);    // 1.25
    EXPECT_EQ(mulDiv(-2, 7, 4), -4);  // -3.5
    EXPECT_EQ(mulDiv(2, 7, -4), -4);
    EXPECT_EQ(mulDiv(333, 13, 8), 541);  // 541.125
    EXPECT_EQ(mulDiv(1, 1, 0), -1);
    EXPECT_EQ(mulDiv(1 << 20, 1 << 20, 1 << 10), 1 << 30);  // no overflow on the way
}

}  // namespace
