// End to end: the program's window on the Qt host (offscreen) with the real serial engine, and a
// pseudo-terminal or the module simulator at the far end of the port, driven through the widgets
// as a user would.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "app/mainDialog.h"
#include "platform/qt/qtToolkit.h"
#include "resources/resourceIds.h"
#include "serial/rxQueue.h"
#include "tests/qt/qtTestSupport.h"
#include "tests/support/ptyPeer.h"
#include "tests/tools/simChild.h"

namespace {

// Runs the program's window with the ports the system lists, leaving it by the close button.
void runMainWindow(const std::function<void(QtDialog&)>& user) {
    EXPECT_EQ(runMainDialog([&](QtDialog& window) {
                  user(window);
                  window.windowHandle()->close();
              }),
              dlg::idCancel);
}

QString textOf(const QtDialog& window, int id) {
    QWidget* w = window.control(id);
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) return edit->toPlainText();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    return {};
}

void click(QtDialog& window, int id) { QTest::mouseClick(window.control(id), Qt::LeftButton); }

// Replaces a box's text by typing, as the user would after Ctrl+A.
void retype(QtDialog& window, int id, const char* text) {
    QWidget* box = window.control(id);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

// Chinese text comes from an input method, not from key presses.
void commitText(QWidget* box, const char* utf8) {
    QInputMethodEvent input;
    input.setCommitString(QString::fromUtf8(utf8));
    QApplication::sendEvent(box, &input);
}

// Selects the port by its list entry and opens it with 打开.
void openPort(QtDialog& window, const QString& entry) {
    auto* ports = qobject_cast<QComboBox*>(window.control(IDC_PORT));
    const int index = ports->findText(entry);
    ASSERT_GE(index, 0) << "not listed: " << entry.toStdString();
    ports->setCurrentIndex(index);
    SeenBox refusal;
    {
        const auto watcher = dismissMessageBox(refusal);  // a failed open says why in a message box
        click(window, IDC_OPEN);
    }
    ASSERT_TRUE(refusal.text.isEmpty()) << refusal.text.toStdString();
    EXPECT_EQ(textOf(window, IDC_OPEN), QString::fromUtf8("关闭"));
    EXPECT_EQ(textOf(window, IDC_STATUS), QString::fromUtf8("%1 成功打开!").arg(entry));
}

bool waitForText(const QtDialog& window, int id, const QString& expected) {
    return QTest::qWaitFor([&] { return textOf(window, id) == expected; }, waitMs);
}

std::string asString(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

TEST(EndToEnd, SendsAndReceivesThroughAPseudoTerminal) {
    PtyPeer peer;
    const QString entry = QStringLiteral("COM%1").arg(peer.portNumber());
    runMainWindow([&](QtDialog& window) {
        openPort(window, entry);
        if (HasFatalFailure()) return;

        // Text as typed, the line break as CR LF, Chinese as GBK.
        auto* output = window.control(IDC_TXTEXT);
        output->setFocus();
        QTest::keyClicks(output, "AT ");
        commitText(output, "你好");
        QTest::keyClick(output, Qt::Key_Return);
        QTest::keyClicks(output, "OK");
        click(window, IDC_SEND);
        const std::string text = "AT " + gbk("你好") + "\r\nOK";
        EXPECT_EQ(asString(peer.receive(text.size())), text);

        // Hex: the switch turns the box into hex text; what it spells is sent.
        click(window, IDC_TXHEX);
        EXPECT_TRUE(textOf(window, IDC_TXTEXT).startsWith(QStringLiteral("41 54 20 C4 E3 ")))
            << textOf(window, IDC_TXTEXT).toStdString();
        retype(window, IDC_TXTEXT, "41 42 0A");
        click(window, IDC_SEND);
        EXPECT_EQ(asString(peer.receive(3)), "AB\n");
        EXPECT_EQ(textOf(window, IDC_TXCOUNT), QString::number(text.size() + 3));

        // A double-byte character split across two writes is shown whole, once both halves came.
        const std::string received = "OK " + gbk("收到");
        peer.send(received.substr(0, received.size() - 1));
        ASSERT_TRUE(waitForText(window, IDC_RXCOUNT, QString::number(received.size() - 1)));
        EXPECT_EQ(textOf(window, IDC_RXTEXT), QString::fromUtf8("OK 收")) << "no half character shown";
        peer.send(received.substr(received.size() - 1));
        EXPECT_TRUE(waitForText(window, IDC_RXTEXT, QString::fromUtf8("OK 收到")))
            << textOf(window, IDC_RXTEXT).toStdString();

        click(window, IDC_RXHEX);
        click(window, IDC_RXCLEAR);
        peer.send(std::vector<std::uint8_t>{0x00, 0xCA, 0x41, 0xFF});
        EXPECT_TRUE(waitForText(window, IDC_RXTEXT, QStringLiteral("00 CA 41 FF ")))
            << textOf(window, IDC_RXTEXT).toStdString();
        EXPECT_EQ(textOf(window, IDC_RXCOUNT), QString::number(received.size() + 4));

        // Timed send every 50 ms: whole copies only, as many as the transmit counter says.
        retype(window, IDC_PERIOD, "50");
        const int txBefore = textOf(window, IDC_TXCOUNT).toInt();
        click(window, IDC_TIMEDSEND);
        std::string copies;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                copies += asString(peer.receiveAvailable());
                return copies.size() >= 20 * 3;  // about a second's worth
            },
            waitMs));
        click(window, IDC_TIMEDSEND);
        const int sent = textOf(window, IDC_TXCOUNT).toInt() - txBefore;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                copies += asString(peer.receiveAvailable());
                return copies.size() >= static_cast<std::size_t>(sent);
            },
            waitMs));
        EXPECT_EQ(copies.size(), static_cast<std::size_t>(sent));
        std::string whole;
        for (std::size_t i = 0; i < copies.size() / 3; ++i) whole += "AB\n";
        EXPECT_EQ(copies, whole) << "every copy whole";

        click(window, IDC_OPEN);
        EXPECT_EQ(textOf(window, IDC_OPEN), QString::fromUtf8("打开"));
        EXPECT_EQ(textOf(window, IDC_STATUS), QString::fromUtf8("%1 成功关闭!").arg(entry));
    });
}

TEST(EndToEnd, TheSimulatorAnswersAFilledCommandWithItsTid) {
    simtest::TempFolder runtime;
    simtest::SimChild sim(runtime.path(), {});
    const auto ready = sim.readLine();
    ASSERT_TRUE(ready.has_value()) << sim.errorOutput();
    simtest::RuntimeDirForScope runtimeDir(runtime.path());
    runMainWindow([&](QtDialog& window) {
        openPort(window, QStringLiteral("COM99"));
        if (HasFatalFailure()) return;
        click(window, IDC_FILL);
        const QString command = textOf(window, IDC_TXTEXT);
        const qsizetype at = command.indexOf(QStringLiteral("\"tid\":"));
        ASSERT_GE(at, 0) << command.toStdString();
        const QString tid = command.mid(at).section(QLatin1Char(','), 0, 0).section(QLatin1Char('}'), 0, 0);
        click(window, IDC_SEND);

        // One whole reply line, counted as shown.
        EXPECT_TRUE(QTest::qWaitFor([&] { return textOf(window, IDC_RXTEXT).endsWith(QLatin1Char('\n')); },
                                    waitMs))
            << sim.errorOutput();
        const QString reply = textOf(window, IDC_RXTEXT);
        EXPECT_TRUE(reply.startsWith(QLatin1Char('{')) && reply.contains(tid)) << reply.toStdString();
        EXPECT_EQ(textOf(window, IDC_RXCOUNT), QString::number(window.text(IDC_RXTEXT).size()));
        click(window, IDC_OPEN);
    });
}

// A right click on the window's background and a click on the context menu's item for this
// command; what the item showed, checked state included.
struct ShownItem {
    QString text;
    bool checked = false;
};
ShownItem chooseMenuItem(QtDialog& window, int command) {
    ShownItem shown;
    ModalWatcher watcher([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                         [&](QWidget* w) {
                             auto* menu = static_cast<QMenu*>(w);
                             for (QAction* item : menu->actions()) {
                                 if (item->isSeparator() || item->data().toInt() != command) continue;
                                 shown = {item->text(), item->isChecked()};
                                 QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
                             }
                         });
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, QPoint(window.width() - 3, window.height() - 3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.answered() || watcher.timedOut(); }, waitMs + 5000));
    EXPECT_TRUE(watcher.answered()) << "no context menu came up";
    return shown;
}

// With the port closed, the port list follows a virtual port as its link comes and goes.
TEST(EndToEnd, ThePortListFollowsAPortPluggedInAndPulled) {
    PtyPeer peer;
    peer.pull();
    const QString entry = QStringLiteral("COM%1").arg(peer.portNumber());
    runMainWindow([&](QtDialog& window) {
        auto* ports = qobject_cast<QComboBox*>(window.control(IDC_PORT));
        const auto listed = [&] { return ports->findText(entry) >= 0; };
        ASSERT_FALSE(listed());
        peer.plugIn();
        EXPECT_TRUE(QTest::qWaitFor(listed, waitMs)) << "not listed once plugged in";
        peer.pull();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !listed(); }, waitMs)) << "still listed once pulled";
    });
}

// A session saved through the context menu: Qt's save dialog in the documents folder with the
// port and the time in the name, then every byte received, as received, in the chosen file.
TEST(EndToEnd, ASessionSavedFromTheContextMenuHoldsEveryByteReceived) {
    PtyPeer peer;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("session.txt"));
    std::string stream(300000, '\0');  // every byte value, far more than a tick takes
    for (std::size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    runMainWindow([&](QtDialog& window) {
        openPort(window, QStringLiteral("COM%1").arg(peer.portNumber()));
        if (HasFatalFailure()) return;
        EXPECT_FALSE(chooseMenuItem(window, IDM_TIMESTAMPS).checked);
        EXPECT_TRUE(chooseMenuItem(window, IDM_TIMESTAMPS).checked) << "the first choice switched it on";
        // and the second off again

        QString offeredName, offeredFolder;
        ModalWatcher saveDialog([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
                                [&](QWidget* w) {
                                    auto* dialog = static_cast<QFileDialog*>(w);
                                    offeredName = dialog->selectedFiles().value(0).section(QLatin1Char('/'), -1);
                                    offeredFolder = dialog->directory().absolutePath();
                                    dialog->selectFile(path);
                                    static_cast<QDialog*>(dialog)->accept();  // as its Save button
                                });
        EXPECT_EQ(chooseMenuItem(window, IDM_SAVE).text, QString::fromUtf8("保存接收数据(&S)..."));
        ASSERT_TRUE(QTest::qWaitFor([&] { return saveDialog.answered() || saveDialog.timedOut(); }, waitMs + 5000));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^COM%1_\\d{8}-\\d{6}\\.txt$").arg(peer.portNumber()))
                        .match(offeredName)
                        .hasMatch())
            << offeredName.toStdString();
        EXPECT_FALSE(offeredFolder.isEmpty());

        peer.send(stream);
        ASSERT_TRUE(waitForText(window, IDC_RXCOUNT, QString::number(stream.size())))
            << textOf(window, IDC_RXCOUNT).toStdString();
        EXPECT_EQ(chooseMenuItem(window, IDM_SAVE).text, QString::fromUtf8("停止保存(&S)"));
        const QList<QAction*> items = window.findChild<QMenu*>()->actions();
        const auto save = std::find_if(items.begin(), items.end(), [](QAction* a) { return a->data() == IDM_SAVE; });
        ASSERT_NE(save, items.end());
        EXPECT_EQ((*save)->text(), QString::fromUtf8("保存接收数据(&S)...")) << "saving stopped";
        click(window, IDC_OPEN);
    });
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << "the window waited for the file as it closed";
    const QByteArray content = saved.readAll();
    EXPECT_EQ(content.size(), static_cast<qsizetype>(stream.size()));
    EXPECT_TRUE(content == QByteArray(stream.data(), static_cast<qsizetype>(stream.size()))) << "byte for byte";
    EXPECT_EQ(droppedBytes(&rxQueue), 0u);
}

// The adapter pulled and plugged in again under the same name: the window says so, comes back
// by itself and receives again; with the reconnect switched off it only says the port is lost.
TEST(EndToEnd, APulledAdapterIsToldAndTheWindowReconnectsWhenItIsBack) {
    PtyPeer peer;
    const QString entry = QStringLiteral("COM%1").arg(peer.portNumber());
    runMainWindow([&](QtDialog& window) {
        openPort(window, entry);
        if (HasFatalFailure()) return;
        peer.send("before ");
        ASSERT_TRUE(waitForText(window, IDC_RXCOUNT, QStringLiteral("7")));

        peer.pull();
        EXPECT_TRUE(waitForText(window, IDC_STATUS, QString::fromUtf8("%1 已断开，等待重新连接…").arg(entry)))
            << textOf(window, IDC_STATUS).toStdString();
        EXPECT_EQ(textOf(window, IDC_OPEN), QString::fromUtf8("打开"));
        EXPECT_TRUE(window.control(IDC_BAUD)->isEnabled());

        peer.plugIn();
        EXPECT_TRUE(waitForText(window, IDC_STATUS, QString::fromUtf8("%1 已重新连接!").arg(entry)))
            << textOf(window, IDC_STATUS).toStdString();
        EXPECT_EQ(textOf(window, IDC_OPEN), QString::fromUtf8("关闭"));
        peer.send("after");
        EXPECT_TRUE(waitForText(window, IDC_RXTEXT, QStringLiteral("before after")))
            << textOf(window, IDC_RXTEXT).toStdString();

        const ShownItem reconnect = chooseMenuItem(window, IDM_RECONNECT);
        EXPECT_EQ(reconnect.text, QString::fromUtf8("断开后自动重连(&R)"));
        EXPECT_TRUE(reconnect.checked) << "on at start; the choice switched it off";
        peer.pull();
        EXPECT_TRUE(waitForText(window, IDC_STATUS, QString::fromUtf8("%1 连接已断开!").arg(entry)))
            << textOf(window, IDC_STATUS).toStdString();
        EXPECT_EQ(textOf(window, IDC_OPEN), QString::fromUtf8("打开"));
    });
}

}  // namespace
