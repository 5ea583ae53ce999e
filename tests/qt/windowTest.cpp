// The window's life: timers, message boxes (also from another thread) and Qt's texts in
// them, the system menu, close requests, devices coming and going, painting, modal runs and
// their end codes, and the screenshot hook.
#include <atomic>
#include <thread>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "platform/osApi.h"
#include "platform/qt/chineseTranslations.h"
#include "platform/qt/cp936.h"
#include "platform/qt/iconPixmap.h"
#include "platform/qt/qtToolkit.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"
#include "tests/qt/qtTestSupport.h"
#include "tests/support/ptyPeer.h"

using dlg::EventKind;

namespace {

// A bare window for what needs no controls.
constexpr dlg::DialogTemplate bareTemplate = {500, "bare", "\xCB\xCE\xCC\xE5", 9,
                                              100, 60,     dlg::systemMenu,    {}};  // font 宋体
constexpr dlg::DialogTemplate noMenuTemplate = {501, "plain", "\xCB\xCE\xCC\xE5", 9, 100, 60, 0, {}};

TEST(Timer, TicksArriveOnTheUiThreadWithTheirIdentifier) {
    ShownDialog shown(bareTemplate);
    std::atomic<bool> offThread{false};
    shown.events.answer = [&](const dlg::DialogEvent&) {
        if (QThread::currentThread() != QApplication::instance()->thread()) offThread = true;
        return dlg::EventResult{};
    };
    shown->setTimer(7, 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.events.count(EventKind::timer, 7) >= 3; }, waitMs));
    EXPECT_EQ(shown.events.count(EventKind::timer), shown.events.count(EventKind::timer, 7));
    EXPECT_FALSE(offThread);
}

TEST(Timer, SettingAgainReplacesThePeriodAndKillingStopsIt) {
    ShownDialog shown(bareTemplate);
    RecordingEvents& events = shown.events;
    // Timer 2 ticks on while timer 1 is watched: once timer 2 has ticked a few more times,
    // a timer 1 still running every 10 ms would have ticked too.
    auto fence = [&] {
        const int target = events.count(EventKind::timer, 2) + 5;
        return QTest::qWaitFor([&] { return events.count(EventKind::timer, 2) >= target; }, waitMs);
    };
    shown->setTimer(2, 10);

    shown->setTimer(1, 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.count(EventKind::timer, 1) >= 1; }, waitMs));
    shown->setTimer(1, 3'600'000);  // now once an hour
    const int beforeHour = events.count(EventKind::timer, 1);
    ASSERT_TRUE(fence());
    EXPECT_EQ(events.count(EventKind::timer, 1), beforeHour);

    shown->setTimer(1, 10);  // and fast again
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.count(EventKind::timer, 1) > beforeHour; }, waitMs));

    shown->killTimer(1);
    const int beforeKill = events.count(EventKind::timer, 1);
    ASSERT_TRUE(fence());
    EXPECT_EQ(events.count(EventKind::timer, 1), beforeKill);
    shown->killTimer(1);   // stopped already
    shown->killTimer(99);  // never started
    ASSERT_TRUE(fence());
}

TEST(MessageBox, IsAModalWarningWithTheProgramsNameOverTheDialog) {
    ShownDialog shown(bareTemplate);
    SeenBox seen;
    const auto watcher = dismissMessageBox(seen);
    shown->messageBox(gbk("请键入一个整数。"));
    ASSERT_TRUE(watcher->answered()) << "no message box was shown";
    EXPECT_EQ(seen.title, QCoreApplication::applicationName());
    EXPECT_EQ(seen.text, QString::fromUtf8("请键入一个整数。"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.parent, shown.window.get());
    EXPECT_TRUE(seen.modal);
}

TEST(MessageBox, MessageBoxAFromAWorkerThreadBlocksItUntilDismissedOnTheGuiThread) {
    const auto platformBox = osApi().MessageBoxA;
    {
        QtToolkit toolkit;
        ASSERT_NE(osApi().MessageBoxA, platformBox);
        std::atomic<bool> returned{false};
        std::atomic<int> answer{0};
        bool returnedBeforeDismissal = true;
        SeenBox seen;
        const auto watcher = dismissMessageBox(seen, [&] { returnedBeforeDismissal = returned; });

        const std::string text = gbk("串口已断开");
        const std::string caption = gbk("错误");
        std::thread monitor([&] {
            answer = osApi().MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
            returned = true;
        });
        const bool done = QTest::qWaitFor([&] { return returned.load(); }, waitMs);
        monitor.join();
        ASSERT_TRUE(done);
        ASSERT_TRUE(watcher->answered()) << "no message box was shown";
        EXPECT_FALSE(returnedBeforeDismissal);
        EXPECT_TRUE(seen.onGuiThread);
        EXPECT_EQ(answer.load(), IDOK);
        EXPECT_EQ(seen.title, QString::fromUtf8("错误"));
        EXPECT_EQ(seen.text, QString::fromUtf8("串口已断开"));
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        EXPECT_EQ(seen.buttons, QMessageBox::Ok);

        // From the GUI thread itself the box shows at once.
        SeenBox direct;
        const auto directWatcher = dismissMessageBox(direct);
        osApi().MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
        EXPECT_TRUE(directWatcher->answered());
        EXPECT_EQ(direct.text, QString::fromUtf8("串口已断开"));
    }
    EXPECT_EQ(osApi().MessageBoxA, platformBox);
}

// Once the program's window has ended nothing shows boxes any more: a monitor thread asking
// for one must not wait for ever, since the window's owner may be waiting for that thread.
TEST(MessageBox, MessageBoxAReturnsOnceTheProgramWindowHasEnded) {
    QtToolkit toolkit;
    std::atomic<int> returned{0};
    const std::string text = gbk("串口事件无效");
    auto askForBox = [&] {
        osApi().MessageBoxA(nullptr, text.c_str(), "korvane", MB_OK);
        ++returned;
    };
    std::thread duringRun;
    RecordingEvents events;
    events.init = [&](dlg::DialogHost& host) {
        duringRun = std::thread(askForBox);  // may still be waiting when the window ends
        host.endDialog(dlg::idCancel);
        return true;
    };
    EXPECT_EQ(toolkit.runModal(bareTemplate, events), dlg::idCancel);
    std::thread afterRun(askForBox);
    EXPECT_TRUE(QTest::qWaitFor([&] { return returned.load() == 2; }, waitMs));
    duringRun.join();
    afterRun.join();
    QApplication::processEvents();
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QMessageBox*>(widget) != nullptr && widget->isVisible());
}

// Qt's own texts are Chinese like the window's (tests/qt/main.cpp installs the translations
// as the program does), and a missing translations folder is no error.
TEST(MessageBox, QtsOwnTextsAreChinese) {
    ShownDialog shown(mainDialogTemplate);
    QString okText;
    ModalWatcher watcher([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                         [&](QWidget* w) {
                             QAbstractButton* ok = static_cast<QMessageBox*>(w)->button(QMessageBox::Ok);
                             okText = ok->text();
                             ok->click();
                         });
    shown->messageBox("x");
    ASSERT_TRUE(watcher.answered()) << "no message box was shown";
    EXPECT_EQ(okText.toStdString(), "确定");

    auto* period = static_cast<QLineEdit*>(shown->control(IDC_PERIOD));
    auto* output = static_cast<QPlainTextEdit*>(shown->control(IDC_TXTEXT));
    for (QMenu* menu : {period->createStandardContextMenu(), output->createStandardContextMenu()}) {
        QStringList entries;
        for (const QAction* entry : menu->actions()) entries << entry->text().section(u'\t', 0, 0);  // no keys
        EXPECT_EQ(entries.join(u'|').toStdString(),
                  "撤消(&U)|重做(&R)||剪切(&T)|复制(&C)|粘贴(&P)|删除||全选");
        delete menu;
    }
    EXPECT_FALSE(installChineseTranslations(QStringLiteral("/nonexistent")));
}

TEST(SystemMenu, ItemsGoToTheContextMenuAndSendTheirCommand) {
    ShownDialog shown(mainDialogTemplate);
    ASSERT_TRUE(shown->hasSystemMenu());
    shown->appendMenuSeparator();
    shown->appendMenuItem(IDM_ABOUT, resourceString(IDS_ABOUT));

    QString chosenText;
    ModalWatcher watcher([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                         [&](QWidget* w) {
                             auto* menu = static_cast<QMenu*>(w);
                             for (QAction* item : menu->actions()) {
                                 if (item->isSeparator()) continue;
                                 chosenText = item->text();
                                 QTest::mouseClick(menu, Qt::LeftButton, {},
                                                   menu->actionGeometry(item).center());
                                 return;
                             }
                         });
    // A right click on the dialog's background, beside the controls.
    const QPoint background(shown->width() - 3, shown->height() - 3);
    ASSERT_EQ(shown->childAt(background), nullptr);
    QTest::mouseClick(shown->windowHandle(), Qt::RightButton, {}, background);
    ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.answered() || watcher.timedOut(); }, waitMs + 5000));
    ASSERT_TRUE(watcher.answered()) << "no context menu came up";
    EXPECT_EQ(chosenText, QString::fromUtf8("关于 Korvane(&A)..."));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.events.count(EventKind::systemCommand) == 1; }, waitMs));
    EXPECT_EQ(shown.events.count(EventKind::systemCommand, IDM_ABOUT), 1);
}

TEST(SystemMenu, AWindowWithoutOneTakesNoItems) {
    ShownDialog shown(noMenuTemplate);
    EXPECT_FALSE(shown->hasSystemMenu());
    shown->appendMenuItem(IDM_ABOUT, "x");
    ModalWatcher watcher([] { return QApplication::activePopupWidget(); },
                         [](QWidget* menu) { menu->close(); });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), shown->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(shown.window.get(), &event);  // a menu would be shown and closed
    EXPECT_FALSE(watcher.answered());
}

TEST(Close, ARequestSendsCloseAndCancelsOnlyWhenTheLogicLeftItToTheHost) {
    ShownDialog shown(mainDialogTemplate);
    shown->windowHandle()->close();  // as the title-bar close button does
    EXPECT_EQ(shown.events.count(EventKind::close), 1);
    EXPECT_EQ(shown.events.cancelCount, 1);
    EXPECT_TRUE(shown->isVisible());

    shown.events.answer = [](const dlg::DialogEvent&) { return dlg::EventResult{}; };  // handled
    shown->close();
    EXPECT_EQ(shown.events.count(EventKind::close), 2);
    EXPECT_EQ(shown.events.cancelCount, 1);
    EXPECT_TRUE(shown->isVisible());

    // Qt's own ways of ending a dialog do not end this one.
    shown->reject();
    shown->accept();
    EXPECT_TRUE(shown->isVisible());
}

TEST(Devices, ALinkedPortIsToldOnlyToAWatchingWindowUntilItEnds) {
    PtyPeer peer;
    peer.pull();
    ShownDialog watching(bareTemplate), other(bareTemplate);
    watching->watchDevices();
    const auto told = [](const ShownDialog& shown) { return shown.events.count(EventKind::devicesChanged); };

    peer.plugIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return told(watching) > 0; }, waitMs));
    // The other would have been told by now; a short look more shows it was not.
    EXPECT_FALSE(QTest::qWaitFor([&] { return told(other) > 0; }, 300));

    // Once the window is done, nothing more.
    const int before = told(watching);
    watching->endDialog(dlg::idCancel);
    peer.pull();
    EXPECT_FALSE(QTest::qWaitFor([&] { return told(watching) > before; }, 500));
}

TEST(Toolkit, LoadsIconsOnceAndTheStringTable) {
    QtToolkit toolkit;
    const dlg::IconHandle icon = toolkit.loadIcon(IDI_APP);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(toolkit.loadIcon(IDI_APP), icon);
    EXPECT_EQ(toolkit.loadIcon(4242), nullptr);
    EXPECT_EQ(toolkit.loadString(IDS_ABOUT), std::string(text::aboutMenuItem));
    EXPECT_EQ(toolkit.loadString(4242), "");
}

TEST(Paint, TheLogicPaintsWithTheHostsPainterOrLeavesItToTheHost) {
    QtToolkit toolkit;
    const dlg::IconHandle icon = toolkit.loadIcon(IDI_APP);
    ShownDialog shown(bareTemplate);
    EXPECT_EQ(shown->systemIconSize(), (dlg::Size{32, 32}));
    EXPECT_EQ(shown->clientSize(), (dlg::Size{shown->width(), shown->height()}));
    EXPECT_FALSE(shown->isMinimized());
    shown->setIcon(icon);
    EXPECT_FALSE(shown->windowIcon().isNull());

    const QImage plain = shown->grab().toImage();  // left to the host
    EXPECT_GT(shown.events.count(EventKind::paint), 0);

    shown.events.answer = [&](const dlg::DialogEvent& e) {
        if (e.kind == EventKind::paint) {
            shown->beginPaint();
            shown->eraseIconBackground();
            shown->drawIcon(6, 4, icon);
            shown->endPaint();
        }
        return dlg::EventResult{};
    };
    QImage expected = plain;
    QPainter(&expected).drawPixmap(6, 4, iconPixmap(IDI_APP));
    EXPECT_EQ(shown->grab().toImage(), expected);
}

TEST(ModalRun, InitBeforeShowThenEndDialogsCodeOnceTheHandlerIsDone) {
    QtToolkit toolkit;
    RecordingEvents events;
    bool visibleInInit = true;
    bool visibleAfterEndDialog = false;
    QtDialog* window = nullptr;
    events.init = [&](dlg::DialogHost& host) {
        window = dynamic_cast<QtDialog*>(&host);
        visibleInInit = window->isVisible();
        EXPECT_EQ(host.comboCount(IDC_BAUD), 11);  // the lists are there for the logic
        QTimer::singleShot(0, [&] { QTest::mouseClick(window->control(IDC_OPEN), Qt::LeftButton); });
        return true;
    };
    events.answer = [&](const dlg::DialogEvent& e) {
        if (e.kind == EventKind::click && e.id == IDC_OPEN) {
            window->endDialog(7);
            visibleAfterEndDialog = window->isVisible();  // it ends after this handler
        }
        return dlg::EventResult{};
    };
    EXPECT_EQ(toolkit.runModal(mainDialogTemplate, events), 7);
    EXPECT_FALSE(visibleInInit);
    EXPECT_TRUE(visibleAfterEndDialog);

    // Ended during its initialisation, a dialog never shows.
    RecordingEvents early;
    early.init = [](dlg::DialogHost& host) {
        host.endDialog(3);
        return true;
    };
    EXPECT_EQ(toolkit.runModal(bareTemplate, early), 3);
    EXPECT_EQ(early.count(EventKind::paint), 0);
}

// onInitDialog's answer: true puts the focus on the first tab stop, false leaves it where
// the logic put it.
TEST(ModalRun, InitsAnswerDecidesWhereTheFocusStarts) {
    QtToolkit toolkit;
    for (bool answer : {true, false}) {
        RecordingEvents events;
        int focused = -2;
        events.init = [&](dlg::DialogHost& host) {
            host.focusSelectAll(IDC_PERIOD);
            auto* window = dynamic_cast<QtDialog*>(&host);
            QTimer::singleShot(0, [&, window] {
                EXPECT_TRUE(QTest::qWaitFor(
                    [&] { return window->isVisible() && window->focusWidget() != nullptr; }, waitMs));
                focused = controlIndexOf(*window, window->focusWidget());
                window->endDialog(dlg::idOk);
            });
            return answer;
        };
        EXPECT_EQ(toolkit.runModal(mainDialogTemplate, events), dlg::idOk);
        const int period = 35;  // IDC_PERIOD's place in the template
        ASSERT_EQ(mainDialogTemplate.controls[period].id, IDC_PERIOD);
        EXPECT_EQ(focused, answer ? 0 : period) << answer;  // 0: the port combo
    }
}

// The About box over the main window, ended by each of its three ways through the logic.
TEST(ModalRun, AboutBoxEndsThroughTheLogicByItsButtonEnterAndEscape) {
    ShownDialog main(mainDialogTemplate);
    enum Way { button, enter, escape };
    for (Way way : {button, enter, escape}) {
        SCOPED_TRACE(way);
        RecordingEvents about;
        QtDialog* box = nullptr;
        bool modalOverMain = false;
        about.answer = [&](const dlg::DialogEvent& e) {
            if (e.kind == EventKind::click && e.id == IDC_ABOUT_OK) box->endDialog(dlg::idOk);
            return dlg::EventResult::defaultProcessing();
        };
        about.ok = [&] { box->endDialog(dlg::idOk); };
        about.cancel = [&] { box->endDialog(dlg::idCancel); };
        about.init = [&](dlg::DialogHost& host) {
            box = dynamic_cast<QtDialog*>(&host);
            QTimer::singleShot(0, [&, way] {
                EXPECT_TRUE(QTest::qWaitFor([&] { return box->isVisible() && box->focusWidget() != nullptr; },
                                            waitMs));
                modalOverMain = box->isModal() && box->parentWidget() == main.window.get() &&
                                QApplication::activeModalWidget() == box;
                QWidget* ok = box->control(IDC_ABOUT_OK);
                if (way == button) QTest::mouseClick(ok, Qt::LeftButton);
                if (way == enter) QTest::keyClick(box->focusWidget(), Qt::Key_Return);
                if (way == escape) QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
            });
            return true;
        };
        const int code = main->runModal(aboutDialogTemplate, about);
        EXPECT_TRUE(modalOverMain);
        EXPECT_EQ(code, way == escape ? dlg::idCancel : dlg::idOk);
        EXPECT_EQ(about.count(EventKind::click, IDC_ABOUT_OK), way == escape ? 0 : 1);
        EXPECT_EQ(about.cancelCount, way == escape ? 1 : 0);
    }
    EXPECT_EQ(main.events.okCount + main.events.cancelCount, 0);  // nothing reached the main window
}

TEST(Screenshot, TheHookSavesTheMainDialogAndClosesItThroughTheLogic) {
    const QString file = QStringLiteral(KORVANE_QT_TEST_OUTPUT_DIR "/main-dialog.png");
    QFile::remove(file);
    qputenv("KORVANE_SCREENSHOT", file.toLocal8Bit());

    QtToolkit toolkit;
    RecordingEvents events;
    events.init = [&](dlg::DialogHost& host) {
        host.setIcon(toolkit.loadIcon(IDI_APP));
        const int selections[] = {0, 3, 0, 0, 0};
        for (int i = 0; i < 5; ++i) host.comboSelect(IDC_PORT + i, selections[i]);
        host.setText(IDC_PACKETSIZE, "64");
        host.setText(IDC_RXCOUNT, "1536");
        host.setText(IDC_TXCOUNT, "42");
        host.setText(IDC_PERIOD, "1000");
        host.setText(IDC_STATUS, gbk("串口已关闭  COM1  9600,N,8,1"));
        host.setText(IDC_RXTEXT, gbk("AT+VER\r\n无线模块 V2.3 就绪\r\n信道: 12  功率: 20dBm\r\n"
                                     "接收到的数据会显示在这里。这一行比较长，用来检查自动换行是否正确，"
                                     "以及中文字符是否正常显示。\r\n"));
        host.setText(IDC_TXTEXT, gbk("AT+CH=12\r\n"));
        host.setChecked(IDC_AUTOCLEAR, 1);
        // Should the hook never close the window, the test fails instead of hanging.
        QTimer::singleShot(waitMs, dynamic_cast<QtDialog*>(&host), [&host] { host.endDialog(-1); });
        return true;
    };
    events.cancel = [&] { events.host->endDialog(dlg::idCancel); };
    const int code = toolkit.runModal(mainDialogTemplate, events);
    qunsetenv("KORVANE_SCREENSHOT");

    EXPECT_EQ(code, dlg::idCancel);
    EXPECT_EQ(events.count(EventKind::close), 1);
    const QImage shot(file);
    ASSERT_FALSE(shot.isNull()) << file.toStdString();
    EXPECT_GT(shot.width(), 600);
    EXPECT_GT(shot.height(), 400);
}

}  // namespace
