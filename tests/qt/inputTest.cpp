// What the user does reaches the logic: clicks (also through the group boxes that frame
// controls), Enter and Escape by where the focus is, digits-only typing.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "tests/qt/qtTestSupport.h"

using dlg::EventKind;

namespace {

// Where the user would click in a control, in window coordinates.
QPoint inWindow(QtDialog& dialog, int id, QPoint inside) {
    return dialog.control(id)->mapTo(&dialog, inside);
}

TEST(Input, ButtonAndCheckBoxClicksReachTheLogicAfterTheCheckHasToggled) {
    ShownDialog shown(mainDialogTemplate);
    std::vector<int> checkedWhenClicked;
    shown.events.answer = [&](const dlg::DialogEvent& e) {
        if (e.kind == EventKind::click && e.id == IDC_PAUSE)
            checkedWhenClicked.push_back(shown->checked(IDC_PAUSE));
        return dlg::EventResult{};
    };

    QTest::mouseClick(shown->control(IDC_OPEN), Qt::LeftButton);
    EXPECT_EQ(shown.events.count(EventKind::click, IDC_OPEN), 1);

    QTest::mouseClick(shown->control(IDC_PAUSE), Qt::LeftButton);
    QTest::mouseClick(shown->control(IDC_PAUSE), Qt::LeftButton);
    EXPECT_EQ(checkedWhenClicked, (std::vector<int>{1, 0}));

    // A disabled button takes no clicks.
    shown->enable(IDC_SEND, false);
    EXPECT_FALSE(shown->isEnabled(IDC_SEND));
    QTest::mouseClick(shown->control(IDC_SEND), Qt::LeftButton);
    shown->enable(IDC_SEND, true);
    EXPECT_TRUE(shown->isEnabled(IDC_SEND));
    QTest::mouseClick(shown->control(IDC_SEND), Qt::LeftButton);
    EXPECT_EQ(shown.events.count(EventKind::click, IDC_SEND), 1);

    // The space bar on a focused check box is a click too.
    shown->control(IDC_RXHEX)->setFocus();
    QTest::keyClick(shown->control(IDC_RXHEX), Qt::Key_Space);
    EXPECT_EQ(shown.events.count(EventKind::click, IDC_RXHEX), 1);
    EXPECT_EQ(shown->checked(IDC_RXHEX), 1);
}

TEST(Input, WindowClicksGoThroughGroupBoxesAndLabelsToTheControlsBeneath) {
    ShownDialog shown(mainDialogTemplate);
    // The baud combo lies under the serial group box, which was created after it.
    auto* baud = static_cast<QComboBox*>(shown->control(IDC_BAUD));
    const QPoint onField = inWindow(*shown, IDC_BAUD, QPoint(8, baud->height() / 2));
    QWidget* under = shown->childAt(onField);
    EXPECT_EQ(controlIndexOf(*shown, under), 1) << "the combo is not the topmost target";

    QTest::mouseClick(shown->windowHandle(), Qt::LeftButton, {}, onField);
    EXPECT_TRUE(QTest::qWaitFor([&] { return controlIndexOf(*shown, shown->focusWidget()) == 1; }, waitMs))
        << "the click did not focus the combo";

    const QPoint onOpen = inWindow(*shown, IDC_OPEN, shown->control(IDC_OPEN)->rect().center());
    QTest::mouseClick(shown->windowHandle(), Qt::LeftButton, {}, onOpen);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.events.count(EventKind::click, IDC_OPEN) == 1; }, waitMs));
}

TEST(Input, EnterIsOkUnlessAButtonOrTheOutputBoxHasTheFocus) {
    ShownDialog shown(mainDialogTemplate);
    RecordingEvents& events = shown.events;
    auto pressIn = [&](QWidget* w, Qt::Key key = Qt::Key_Return) {
        w->setFocus();
        QTest::keyClick(w, key);
    };

    pressIn(shown->control(IDC_PACKETSIZE));
    EXPECT_EQ(events.okCount, 1);
    pressIn(shown->control(IDC_PACKETSIZE), Qt::Key_Enter);  // the keypad's Enter
    EXPECT_EQ(events.okCount, 2);
    pressIn(shown->control(IDC_PAUSE));
    EXPECT_EQ(events.okCount, 3);
    EXPECT_EQ(shown->checked(IDC_PAUSE), 0);
    pressIn(shown.window.get());  // no control has the focus
    EXPECT_EQ(events.okCount, 4);

    // The receive box passes Enter on; the output box takes it as a line break.
    shown->setText(IDC_RXTEXT, "rx");
    pressIn(shown->control(IDC_RXTEXT));
    EXPECT_EQ(events.okCount, 5);
    EXPECT_EQ(shown->text(IDC_RXTEXT), "rx");
    shown->setText(IDC_TXTEXT, "AT");
    auto* output = static_cast<QPlainTextEdit*>(shown->control(IDC_TXTEXT));
    output->moveCursor(QTextCursor::End);
    pressIn(output);
    EXPECT_EQ(events.okCount, 5);
    EXPECT_EQ(shown->text(IDC_TXTEXT), "AT\r\n");

    // On a push button Enter presses that button.
    pressIn(shown->control(IDC_SEND));
    EXPECT_EQ(events.count(EventKind::click, IDC_SEND), 1);
    EXPECT_EQ(events.okCount, 5);
}

TEST(Input, EnterInAComboIsOkAndTheTypedTextStaysOutOfTheList) {
    ShownDialog shown(mainDialogTemplate);
    auto* baud = static_cast<QComboBox*>(shown->control(IDC_BAUD));
    baud->setFocus();
    QTest::keyClicks(shown->focusWidget(), "31250");
    QTest::keyClick(shown->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(shown.events.okCount, 1);
    EXPECT_EQ(shown->text(IDC_BAUD), "31250");
    EXPECT_EQ(baud->count(), 11);
    EXPECT_EQ(baud->currentIndex(), -1);
}

TEST(Input, EscapeIsCancelWhereverTheFocusIsAndTheWindowStays) {
    ShownDialog shown(mainDialogTemplate);
    for (int id : {IDC_PERIOD, IDC_TXTEXT, IDC_PORT, IDC_OPEN}) {
        shown->control(id)->setFocus();
        QTest::keyClick(shown->focusWidget(), Qt::Key_Escape);
    }
    QTest::keyClick(shown.window.get(), Qt::Key_Escape);
    EXPECT_EQ(shown.events.cancelCount, 5);
    EXPECT_EQ(shown.events.okCount, 0);
    EXPECT_TRUE(shown->isVisible());
}

TEST(Input, DigitsOnlyEditsTakeOnlyDigitsFromTheKeyboard) {
    ShownDialog shown(mainDialogTemplate);
    QWidget* packetSize = shown->control(IDC_PACKETSIZE);
    packetSize->setFocus();
    QTest::keyClicks(packetSize, "1a2-3 ");
    EXPECT_EQ(shown->text(IDC_PACKETSIZE), "123");
    QTest::keyClick(packetSize, Qt::Key_Backspace);
    EXPECT_EQ(shown->text(IDC_PACKETSIZE), "12");

    QWidget* period = shown->control(IDC_PERIOD);  // no digits-only style
    period->setFocus();
    QTest::keyClicks(period, "1a");
    EXPECT_EQ(shown->text(IDC_PERIOD), "1a");
}

}  // namespace
