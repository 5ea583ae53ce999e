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
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "app/mainDialog.h"
#include "platform/qt/qtToolkit.h"
#include "resources/resourceIds.h"
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

}  // namespace
