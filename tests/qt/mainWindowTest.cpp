// The program's own window: the main dialog's logic on the Qt host, offscreen, driven as a
// user would (keys, clicks, the context menu, the close button).
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "app/mainDialog.h"
#include "platform/qt/qtToolkit.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "tests/qt/qtTestSupport.h"
#include "tests/support/fakeDiscovery.h"

namespace {

// Runs the main dialog modally with the ports the fake system lists; `user` plays the user
// once the window is up, and must end the dialog.
int runMainWindow(const std::vector<std::string>& portNames, const std::function<void(QtDialog&)>& user) {
    FakeDiscovery system;
    for (std::size_t i = 0; i < portNames.size(); ++i)
        system.devices.push_back({"\\\\?\\port#" + std::to_string(i), portNames[i], "port", "PCI"});
    return runMainDialog(user);
}

TEST(MainWindow, StartsWithItsDefaultsAndTheLastPortSelected) {
    const int code =
        runMainWindow({"Communications Port (COM1)", "USB Serial Port (COM12)"}, [](QtDialog& window) {
            auto* ports = qobject_cast<QComboBox*>(window.control(IDC_PORT));
            ASSERT_NE(ports, nullptr);
            EXPECT_EQ(ports->count(), 2);
            EXPECT_EQ(ports->currentText(), QStringLiteral("COM12"));
            EXPECT_EQ(qobject_cast<QComboBox*>(window.control(IDC_BAUD))->currentText(),
                      QStringLiteral("9600"));
            EXPECT_EQ(qobject_cast<QLineEdit*>(window.control(IDC_PERIOD))->text(), QStringLiteral("1000"));
            EXPECT_EQ(qobject_cast<QPushButton*>(window.control(IDC_OPEN))->text(),
                      QString::fromUtf8("打开"));
            EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("KorvaneV3.1--")))
                << window.windowTitle().toStdString();
            EXPECT_FALSE(window.windowIcon().isNull());
            EXPECT_EQ(window.focusWidget() != nullptr ? controlIndexOf(window, window.focusWidget()) : -1, 0)
                << "the port list, first in tab order, has the focus";
            window.windowHandle()->close();  // the title-bar close button
        });
    EXPECT_EQ(code, dlg::idCancel);
}

TEST(MainWindow, EnterChecksTheBoxesAndEndsOnlyWhenTheyHoldValidNumbers) {
    SeenBox seen;
    QString selectedAfterMessage;
    bool focusedAfterMessage = false;
    const int code = runMainWindow({}, [&](QtDialog& window) {
        auto* packetSize = qobject_cast<QLineEdit*>(window.control(IDC_PACKETSIZE));
        ASSERT_NE(packetSize, nullptr);
        packetSize->setFocus();
        packetSize->selectAll();
        QTest::keyClicks(packetSize, "0");
        {
            const auto watcher = dismissMessageBox(seen);
            QTest::keyClick(packetSize, Qt::Key_Return);  // the box is shown and dismissed in here
            EXPECT_TRUE(watcher->answered()) << "no message came";
        }
        // The window's focus widget: whether the window is active again is up to the platform.
        focusedAfterMessage = window.focusWidget() == packetSize;
        selectedAfterMessage = packetSize->selectedText();
        ASSERT_TRUE(window.isVisible()) << "the dialog stays open";

        QTest::keyClicks(packetSize, "64");  // replaces the selected text
        QTest::keyClick(packetSize, Qt::Key_Return);
    });
    EXPECT_EQ(code, dlg::idOk);
    EXPECT_EQ(seen.text, QString::fromUtf8("“请填入一个在1和1024之间的整数。”"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(focusedAfterMessage);
    EXPECT_EQ(selectedAfterMessage, QStringLiteral("0"));
}

TEST(MainWindow, ContextMenuOpensTheAboutBox) {
    QString aboutTitle;
    const int code = runMainWindow({}, [&](QtDialog& window) {
        // The About box: seen, then closed with Escape through its own logic.
        ModalWatcher aboutWatcher(
            [&]() -> QWidget* {
                auto* box = dynamic_cast<QtDialog*>(QApplication::activeModalWidget());
                return box != nullptr && box != &window && box->isVisible() ? box : nullptr;
            },
            [&](QWidget* box) {
                aboutTitle = box->windowTitle();
                QTest::keyClick(box, Qt::Key_Escape);
            });
        ModalWatcher menuWatcher([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                                 [](QWidget* w) {
                                     auto* menu = static_cast<QMenu*>(w);
                                     QAction* about = nullptr;
                                     for (QAction* item : menu->actions())
                                         if (item->data().toInt() == IDM_ABOUT) about = item;
                                     QTest::mouseClick(menu, Qt::LeftButton, {},
                                                       menu->actionGeometry(about).center());
                                 });
        const QPoint background(window.width() - 3, window.height() - 3);
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, background);
        EXPECT_TRUE(QTest::qWaitFor([&] { return aboutWatcher.answered() || aboutWatcher.timedOut(); },
                                    waitMs + 5000));
        EXPECT_TRUE(menuWatcher.answered());
        EXPECT_TRUE(aboutWatcher.answered()) << "no About box came up";
        EXPECT_TRUE(window.isVisible()) << "the main window stays";
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    EXPECT_EQ(aboutTitle, QString::fromUtf8("关于"));
    EXPECT_EQ(code, dlg::idCancel);
}

}  // namespace
