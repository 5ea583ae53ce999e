// Control texts through the host: line breaks and received data in the edit boxes, the
// static texts, and the combos' lists.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include "app/receiveText.h"
#include "platform/qt/cp936.h"
#include "platform/qt/multiLineEdit.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "tests/qt/qtTestSupport.h"

using namespace std::string_literals;

namespace {

QPlainTextEdit* editOf(ShownDialog& shown, int id) {
    return static_cast<QPlainTextEdit*>(shown->control(id));
}

constexpr int multiLineEdits[] = {IDC_TXTEXT, IDC_RXTEXT};

// Received bytes of every sort: GBK text, the three kinds of line break, bytes that are not
// CP936 (0xFF, 0x81 before a space), pairs glibc does not decode (GBK's user-defined A1 40 and
// AA A1) and a NUL inside a break.
const std::string received = gbk("接收\r\n数据\r\r\n串口号") + "\xFF" + gbk("OK\n完\r") +
                             "\x81 \xA1\x40\x80\r\0\nend\xAA\xA1" + gbk("啊OK");

std::string withoutNuls(std::string bytes) {
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
    return bytes;
}

TEST(EditText, LineBreaksReadBackAsGivenAndNulsAreNotShown) {
    ShownDialog shown(mainDialogTemplate);
    QPlainTextEdit* rx = editOf(shown, IDC_RXTEXT);
    shown->setText(IDC_RXTEXT, "a\nb\rc\r\nd\r\r\ne\0f"s);
    EXPECT_EQ(rx->blockCount(), 6);  // each break shows as one
    EXPECT_EQ(shown->text(IDC_RXTEXT), "a\nb\rc\r\nd\r\r\nef");
    shown->appendText(IDC_RXTEXT, "\0g\0"s);
    EXPECT_EQ(shown->text(IDC_RXTEXT), "a\nb\rc\r\nd\r\r\nefg");
    rx->selectAll();
    rx->copy();  // the clipboard has a newline for each break
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a\nb\nc\nd\n\nefg"));
    shown->setText(IDC_STATUS, "x\0y"s);
    EXPECT_EQ(shown->text(IDC_STATUS), "xy");

    // Breaks the user types are CR LF, also between given ones; a given break the user
    // deletes takes its kind along.
    QPlainTextEdit* tx = editOf(shown, IDC_TXTEXT);
    shown->setText(IDC_TXTEXT, "AT\nOK\r");
    tx->setFocus();
    QTextCursor caret(tx->document());
    caret.setPosition(1);
    tx->setTextCursor(caret);
    QTest::keyClick(tx, Qt::Key_Return);
    QTest::keyClick(tx, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(shown->text(IDC_TXTEXT), "A\r\n\r\nT\nOK\r");
    caret.setPosition(tx->document()->findBlockByNumber(2).position());
    tx->setTextCursor(caret);
    QTest::keyClick(tx, Qt::Key_Backspace);  // the "\n" after T
    tx->moveCursor(QTextCursor::End);
    QTest::keyClicks(tx, "X");
    QTest::keyClick(tx, Qt::Key_Return);
    EXPECT_EQ(shown->text(IDC_TXTEXT), "A\r\n\r\nTOK\rX\r\n");
}

// What a box is set to reads back byte for byte: every byte alone (a lead byte alone has no
// trail byte), all in one string, and received data of every sort.
TEST(EditText, EveryByteStringReadsBackAsSet) {
    std::vector<std::string> cases = everyNonZeroByte();
    cases.push_back(withoutNuls(received));
    ShownDialog shown(mainDialogTemplate);
    for (int id : multiLineEdits) {
        for (const std::string& bytes : cases) {
            shown->setText(id, bytes);
            EXPECT_EQ(shown->text(id), bytes) << "box " << id << ", " << bytes.size() << " bytes from "
                                              << static_cast<int>(static_cast<unsigned char>(bytes[0]));
        }
    }
}

// Received data is cut anywhere, also inside a character and inside a break: the pieces read
// back as the bytes given so far, and the box shows what the whole would, but for a character
// cut in two: a lead byte at a piece's end shows at once, as the bad byte it is there.
TEST(EditText, AppendedPiecesReadBackAsGivenAndShowAsTheWhole) {
    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte) everyByte += static_cast<char>(byte);
    ShownDialog shown(mainDialogTemplate);
    for (int id : multiLineEdits) {
        QPlainTextEdit* edit = editOf(shown, id);
        for (const std::string& data : {received, everyByte}) {
            shown->setText(id, data);
            const QString whole = edit->toPlainText();
            for (std::size_t cut = 0; cut <= data.size(); ++cut) {
                const std::string first = data.substr(0, cut);
                const bool cutsCharacter = fromCp936(first) + fromCp936(data.substr(cut)) != fromCp936(data);
                shown->setText(id, "");
                shown->appendText(id, first);
                SCOPED_TRACE("box " + std::to_string(id) + ", cut at " + std::to_string(cut));
                EXPECT_EQ(shown->text(id), withoutNuls(first));
                if (cutsCharacter) {
                    EXPECT_TRUE(edit->toPlainText().endsWith(rawByteChar(static_cast<unsigned char>(first.back()))));
                }
                shown->appendText(id, data.substr(cut));
                EXPECT_EQ(shown->text(id), withoutNuls(data));
                if (!cutsCharacter) {
                    EXPECT_EQ(edit->toPlainText(), whole);
                }
            }
        }
    }
}

TEST(EditText, AppendingLeavesTheCaretSelectionAndViewAlone) {
    ShownDialog shown(mainDialogTemplate);
    QPlainTextEdit* rx = editOf(shown, IDC_RXTEXT);
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "line " + std::to_string(i) + "\r\n";
    shown->setText(IDC_RXTEXT, lines);
    QScrollBar* bar = rx->verticalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > 100; }, waitMs));

    // A selection in the middle, and the view scrolled elsewhere.
    QTextCursor selection = rx->textCursor();
    selection.setPosition(40);
    selection.setPosition(25, QTextCursor::KeepAnchor);
    rx->setTextCursor(selection);
    bar->setValue(bar->maximum() / 2);
    const int view = bar->value();

    shown->appendText(IDC_RXTEXT, "more\r\nand more\r\n");
    EXPECT_EQ(rx->textCursor().anchor(), 40);
    EXPECT_EQ(rx->textCursor().position(), 25);
    EXPECT_EQ(bar->value(), view);
    EXPECT_EQ(shown->text(IDC_RXTEXT), lines + "more\r\nand more\r\n");

    // A caret at the very end stays where it was, too.
    const int end = static_cast<int>(rx->document()->characterCount()) - 1;
    rx->moveCursor(QTextCursor::End);
    ASSERT_EQ(rx->textCursor().position(), end);
    shown->appendText(IDC_RXTEXT, "tail");
    EXPECT_EQ(rx->textCursor().position(), end);
    EXPECT_FALSE(rx->textCursor().hasSelection());
}

// A received line without breaks, as a hex dump is, long enough to be cut into pieces.
std::string hexLine() {
    std::string line;
    char byte[4];
    for (int i = 0; i < 1500; ++i) {
        std::snprintf(byte, sizeof byte, "%02X ", i & 0xFF);
        line += byte;
    }
    return line;
}

// The wrapped rows of an edit box, as the text each shows, without the line separators that
// end some.
std::vector<QString> rowsOf(QPlainTextEdit& edit) {
    std::vector<QString> rows;
    for (QTextBlock block = edit.document()->firstBlock(); block.isValid(); block = block.next()) {
        edit.document()->documentLayout()->blockBoundingRect(block);  // lays the block out
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine row = layout->lineAt(i);
            rows.push_back(block.text().mid(row.textStart(), row.textLength()).remove(QChar::LineSeparator));
        }
    }
    return rows;
}

// Pieces of about this many bytes, each ending on a whole character, as the receive display
// gives them.
void appendInPieces(ShownDialog& shown, int id, const std::string& text, std::size_t piece = 90) {
    for (std::size_t at = 0; at < text.size();) {
        std::string next = text.substr(at, piece);
        if (const std::size_t whole = wholeCharactersLength(next); whole > 0) next.resize(whole);
        shown->appendText(id, next);
        at += next.size();
    }
}

// Received lines with every kind of break, empty ones, and one that wraps into many rows.
std::string receivedLines() {
    const char* breaks[] = {"\r\n", "\n", "\r", "\r\n\r\n"};
    std::string lines;
    for (int i = 0; i < 150; ++i) {
        lines += gbk("第") + std::to_string(i) + gbk("行 温度=25℃ 状态=正常") + breaks[i % 4];
        if (i == 70) lines += hexLine().substr(0, 2000) + "\n";
    }
    return lines;
}

// Pieces as a slow port gives them, and pieces longer than a hidden piece, as at full speed:
// the box reads, copies, scrolls and looks as with the same text set as a whole, and no block
// that an append lays out again grows long.
TEST(EditText, ReceivedTextIsAppendedInShortBlocksThatLookAndReadAsTheWhole) {
    const std::string hex = hexLine();
    const std::string lines = receivedLines();
    for (const std::string* text : {&hex, &lines}) {
        ShownDialog whole(mainDialogTemplate);
        whole->setText(IDC_RXTEXT, *text);
        auto* wholeRx = static_cast<MultiLineEdit*>(whole->control(IDC_RXTEXT));
        EXPECT_EQ(wholeRx->softBreakCount(), 0);
        whole->control(IDC_OPEN)->setFocus();  // no caret in the picture
        wholeRx->selectAll();
        wholeRx->copy();
        const QString copied = QGuiApplication::clipboard()->text();
        wholeRx->moveCursor(QTextCursor::Start);
        const std::vector<QString> rows = rowsOf(*wholeRx);
        EXPECT_GT(rows.size(), 40u);

        for (std::size_t piece : {90, 3000}) {
            SCOPED_TRACE(std::to_string(text->size()) + " bytes in pieces of " + std::to_string(piece));
            ShownDialog pieces(mainDialogTemplate);
            pieces->setText(IDC_RXTEXT, "");
            appendInPieces(pieces, IDC_RXTEXT, *text, piece);
            auto* rx = static_cast<MultiLineEdit*>(pieces->control(IDC_RXTEXT));
            pieces->control(IDC_OPEN)->setFocus();
            EXPECT_EQ(pieces->text(IDC_RXTEXT), *text);
            if (text == &hex) {
                EXPECT_GT(rx->softBreakCount(), 2);
            }
            for (QTextBlock block = rx->document()->firstBlock(); block.isValid(); block = block.next())
                ASSERT_LE(block.length(), 2 * 1024 + 1) << "block " << block.blockNumber();
            rx->selectAll();
            rx->copy();
            EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);
            rx->moveCursor(QTextCursor::Start);

            // Lines not yet laid out count as one row each, as they would set as a whole.
            QScrollBar* bar = rx->verticalScrollBar();
            EXPECT_EQ(static_cast<std::size_t>(bar->maximum() + bar->pageStep()), rows.size());
            EXPECT_EQ(rowsOf(*rx), rows);
            EXPECT_EQ(rx->viewport()->grab().toImage(), wholeRx->viewport()->grab().toImage());
        }
    }
}

// The received text before this place in the box, soft breaks left out.
QString textBefore(QPlainTextEdit& edit, int place) {
    QTextCursor selection(edit.document());
    selection.setPosition(place, QTextCursor::KeepAnchor);
    edit.setTextCursor(selection);
    edit.copy();
    return QGuiApplication::clipboard()->text();
}

// A last line that grows long is cut before its last row, and what is at the very end is pushed
// along: the caret and the selection stay with the characters they were at.
TEST(EditText, TheCaretStaysAtItsCharacterWhenTheLastLineIsCut) {
    const std::string line = hexLine();
    const int longLine = 1024;  // where the box cuts
    struct Case {
        const char* name;
        int fromEnd;  // the caret, counted back from the end of the text
        int selectedFromEnd;
    };
    const Case cases[] = {{"at the end", 0, 0}, {"in the last row", 1, 1}, {"selecting the end", 0, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShownDialog shown(mainDialogTemplate);
        auto* rx = static_cast<MultiLineEdit*>(shown->control(IDC_RXTEXT));
        shown->setText(IDC_RXTEXT, "");
        shown->appendText(IDC_RXTEXT, line.substr(0, longLine - 2));  // one block, not long yet
        const int end = rx->document()->characterCount() - 1;
        QTextCursor caret(rx->document());
        caret.setPosition(end - c.selectedFromEnd);
        caret.setPosition(end - c.fromEnd, QTextCursor::KeepAnchor);
        const QString beforeAnchor = textBefore(*rx, caret.anchor());
        const QString beforePosition = textBefore(*rx, caret.position());
        rx->setTextCursor(caret);

        ASSERT_EQ(rx->softBreakCount(), 0);
        shown->appendText(IDC_RXTEXT, line.substr(longLine - 2, 3));
        ASSERT_EQ(rx->softBreakCount(), 1);
        const QTextCursor now = rx->textCursor();
        ASSERT_LT(rx->document()->lastBlock().position(), now.position());  // the cut came before
        EXPECT_EQ(textBefore(*rx, now.anchor()), beforeAnchor);
        EXPECT_EQ(textBefore(*rx, now.position()), beforePosition);
    }
}

// Whether the window on the screen (the offscreen platform's backing store) shows what the box
// and its scroll bars would paint now: a repaint not asked for leaves the old picture there.
bool screenShowsBox(QPlainTextEdit& edit) {
    const QPoint at = edit.mapTo(edit.window(), QPoint(0, 0));
    const QPixmap shown =
        edit.screen()->grabWindow(edit.window()->winId(), at.x(), at.y(), edit.width(), edit.height());
    return shown.toImage().convertToFormat(QImage::Format_RGB32) ==
           edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::string numberedLines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "line " + std::to_string(i) + "\r\n";
    return lines;
}

// An append repaints what it changes where that shows: at the end of a short text, in a last
// line scrolled into view, and out of view once the user scrolls there.
TEST(EditText, AppendedTextShowsWhereverTheViewIs) {
    enum class View { top, end, endAfterwards };
    struct Case {
        const char* name;
        std::string before;
        std::string appended;
        std::size_t piece;
        View view;
    };
    const Case cases[] = {
        {"short text", "first\r\nsecond", " more\r\nthird\r\n", 90, View::top},
        {"hex", hexLine().substr(0, 150), hexLine().substr(150, 450), 150, View::top},
        {"last line in view", numberedLines(300) + "last", " more\r\nand more", 90, View::end},
        {"out of view", numberedLines(300), "more\r\nand more\r\n" + hexLine(), 3000, View::endAfterwards},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShownDialog shown(mainDialogTemplate);
        auto* rx = editOf(shown, IDC_RXTEXT);
        shown->control(IDC_OPEN)->setFocus();  // no blinking caret in the picture
        shown->setText(IDC_RXTEXT, c.before);
        QScrollBar* bar = rx->verticalScrollBar();
        if (c.view == View::end) bar->setValue(bar->maximum());
        ASSERT_TRUE(QTest::qWaitFor([&] { return screenShowsBox(*rx); }, waitMs));

        appendInPieces(shown, IDC_RXTEXT, c.appended, c.piece);
        if (c.view == View::endAfterwards) bar->setValue(bar->maximum());
        EXPECT_TRUE(QTest::qWaitFor([&] { return screenShowsBox(*rx); }, waitMs));
        EXPECT_EQ(shown->text(IDC_RXTEXT), c.before + c.appended);
    }
}

TEST(EditText, CopyingAndEditingAcrossTheHiddenPiecesKeepTheTextExact) {
    const std::string line = hexLine();
    ShownDialog shown(mainDialogTemplate);
    shown->setText(IDC_TXTEXT, "");
    appendInPieces(shown, IDC_TXTEXT, line);
    auto* tx = static_cast<MultiLineEdit*>(shown->control(IDC_TXTEXT));
    ASSERT_GE(tx->softBreakCount(), 2);
    const QTextBlock second = tx->document()->firstBlock().next();
    const QTextBlock third = second.next();

    // Copy from the first piece into the third: no break where the pieces meet.
    QTextCursor selection(tx->document());
    selection.setPosition(10);
    selection.setPosition(third.position() + 5, QTextCursor::KeepAnchor);
    tx->setTextCursor(selection);
    tx->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              line.substr(10, third.position() + 5 - 10 - 2));

    // Typing at the start of a piece; Backspace there takes the hidden cut, then a character.
    const int cut = second.position() - 1;  // the text offset of the cut
    std::string expected = line;
    tx->setFocus();
    QTextCursor caret(tx->document());
    caret.setPosition(second.position());
    tx->setTextCursor(caret);
    QTest::keyClicks(tx, "Z");
    expected.insert(cut, "Z");
    EXPECT_EQ(shown->text(IDC_TXTEXT), expected);
    QTest::keyClick(tx, Qt::Key_Backspace);
    expected.erase(cut, 1);
    QTest::keyClick(tx, Qt::Key_Backspace);
    EXPECT_EQ(shown->text(IDC_TXTEXT), expected);
    QTest::keyClick(tx, Qt::Key_Backspace);
    expected.erase(cut - 1, 1);
    EXPECT_EQ(shown->text(IDC_TXTEXT), expected);

    // A line break typed inside a piece is a real one, and so is undoing it.
    QTest::keyClick(tx, Qt::Key_Return);
    EXPECT_EQ(shown->text(IDC_TXTEXT), std::string(expected).insert(cut - 1, "\r\n"));
    tx->undo();
    EXPECT_EQ(shown->text(IDC_TXTEXT), expected);

    // More data after the user's edits still lands at the end, in order.
    shown->appendText(IDC_TXTEXT, "END");
    EXPECT_EQ(shown->text(IDC_TXTEXT), expected + "END");
}

// Received lines share blocks; each break in them is edited as one character and keeps its kind.
TEST(EditText, EditingReceivedLinesKeepsEveryOtherBreakAsGiven) {
    ShownDialog shown(mainDialogTemplate);
    auto* rx = editOf(shown, IDC_RXTEXT);
    shown->setText(IDC_RXTEXT, "");
    appendInPieces(shown, IDC_RXTEXT, "ab\ncd\ref\r\ngh", 3);
    ASSERT_EQ(rx->blockCount(), 1);
    rx->setFocus();
    QTextCursor caret(rx->document());
    caret.setPosition(6);  // before "ef"
    rx->setTextCursor(caret);
    QTest::keyClick(rx, Qt::Key_Backspace);
    caret.setPosition(2);  // before the first break
    rx->setTextCursor(caret);
    QTest::keyClicks(rx, "X");
    EXPECT_EQ(shown->text(IDC_RXTEXT), "abX\ncdef\r\ngh");
    rx->selectAll();
    rx->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("abX\ncdef\ngh"));
}

TEST(ControlText, StaticsButtonsAndSingleLineEditsShowTheirText) {
    ShownDialog shown(mainDialogTemplate);
    shown->setText(IDC_STATUS, gbk("串口已打开"));
    EXPECT_EQ(static_cast<QLabel*>(shown->control(IDC_STATUS))->text(), QString::fromUtf8("串口已打开"));
    EXPECT_EQ(shown->text(IDC_STATUS), gbk("串口已打开"));

    shown->setText(IDC_OPEN, gbk("关闭"));
    EXPECT_EQ(shown->text(IDC_OPEN), gbk("关闭"));
    shown->setText(IDC_RXCOUNT, "1024");
    EXPECT_EQ(static_cast<QLineEdit*>(shown->control(IDC_RXCOUNT))->text(), QStringLiteral("1024"));
    shown->appendText(IDC_RXCOUNT, "0");
    EXPECT_EQ(shown->text(IDC_RXCOUNT), "10240");

    shown->setCaption(gbk("关于"));
    EXPECT_EQ(shown->windowTitle(), QString::fromUtf8("关于"));

    shown->setChecked(IDC_TXHEX, 1);
    EXPECT_EQ(shown->checked(IDC_TXHEX), 1);
    shown->setChecked(IDC_TXHEX, 0);
    EXPECT_EQ(shown->checked(IDC_TXHEX), 0);

    // Identifiers the dialog does not have read as nothing and change nothing.
    shown->setText(4242, "x");
    EXPECT_EQ(shown->text(4242), "");
    EXPECT_EQ(shown->checked(4242), 0);
    EXPECT_FALSE(shown->isEnabled(4242));
    EXPECT_EQ(shown->comboCount(4242), 0);
}

TEST(Combo, EntriesStayInTheOrderAddedAndNothingIsSelectedUnasked) {
    ShownDialog shown(mainDialogTemplate);
    shown->comboReset(IDC_PORT);
    EXPECT_EQ(shown->comboCount(IDC_PORT), 0);
    EXPECT_EQ(shown->comboAdd(IDC_PORT, "COM3"), 0);
    EXPECT_EQ(shown->comboAdd(IDC_PORT, "COM10"), 1);
    EXPECT_EQ(shown->comboAdd(IDC_PORT, gbk("虚拟串口 (COM2)")), 2);
    EXPECT_EQ(shown->comboCount(IDC_PORT), 3);
    EXPECT_EQ(shown->comboEntry(IDC_PORT, 0), "COM3");
    EXPECT_EQ(shown->comboEntry(IDC_PORT, 1), "COM10");
    EXPECT_EQ(shown->comboEntry(IDC_PORT, 2), gbk("虚拟串口 (COM2)"));
    EXPECT_EQ(shown->comboSelection(IDC_PORT), -1);
    EXPECT_EQ(shown->text(IDC_PORT), "");

    shown->comboSelect(IDC_PORT, 2);
    EXPECT_EQ(shown->comboSelection(IDC_PORT), 2);
    EXPECT_EQ(shown->text(IDC_PORT), gbk("虚拟串口 (COM2)"));

    for (int outOfRange : {-1, 3, 99}) {
        shown->comboSelect(IDC_PORT, 1);
        shown->comboSelect(IDC_PORT, outOfRange);
        EXPECT_EQ(shown->comboSelection(IDC_PORT), -1) << outOfRange;
        EXPECT_EQ(shown->text(IDC_PORT), "") << outOfRange;
    }
    EXPECT_EQ(shown->comboEntry(IDC_PORT, 3), "");
    EXPECT_EQ(shown->comboEntry(IDC_PORT, -1), "");

    // The edit field holds any text, and an entry added later leaves it alone.
    shown->setText(IDC_PORT, "COM77");
    shown->comboAdd(IDC_PORT, "COM4");
    EXPECT_EQ(shown->text(IDC_PORT), "COM77");
    EXPECT_EQ(shown->comboSelection(IDC_PORT), -1);

    shown->comboReset(IDC_PORT);
    EXPECT_EQ(shown->comboCount(IDC_PORT), 0);
    EXPECT_EQ(shown->text(IDC_PORT), "");
}

TEST(Combo, TemplateEntriesAreThereFromTheStart) {
    ShownDialog shown(mainDialogTemplate);
    EXPECT_EQ(shown->comboCount(IDC_BAUD), 11);
    EXPECT_EQ(shown->comboEntry(IDC_BAUD, 9), "115200");
    EXPECT_EQ(shown->comboCount(IDC_PARITY), 3);
    EXPECT_EQ(shown->comboEntry(IDC_PARITY, 2), "EVEN");
    shown->comboSelect(IDC_BAUD, 3);
    EXPECT_EQ(shown->text(IDC_BAUD), "9600");
}

TEST(Focus, FocusSelectAllSelectsTheWholeText) {
    ShownDialog shown(mainDialogTemplate);
    shown->setText(IDC_PERIOD, "1000");
    shown->focusSelectAll(IDC_PERIOD);
    auto* period = static_cast<QLineEdit*>(shown->control(IDC_PERIOD));
    EXPECT_EQ(shown->focusWidget(), period);
    EXPECT_EQ(period->selectedText(), QStringLiteral("1000"));

    shown->setText(IDC_BAUD, "9600");
    shown->focusSelectAll(IDC_BAUD);
    auto* baud = static_cast<QComboBox*>(shown->control(IDC_BAUD));
    EXPECT_EQ(baud->lineEdit()->selectedText(), QStringLiteral("9600"));
    EXPECT_EQ(controlIndexOf(*shown, shown->focusWidget()), 1);
}

}  // namespace
