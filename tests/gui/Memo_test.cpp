#include "platform/gui/qt/TMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <gtest/gtest.h>

using platform::gui::TMemo;

namespace {

void Key(QWidget& w, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(&w, &release);
}

void Type(QWidget& w, const QString& text) {
    for (QChar c : text) {
        if (c == u'\n')
            Key(w, Qt::Key_Return, QStringLiteral("\r"));
        else
            Key(w, c.isLetterOrNumber() ? c.toUpper().unicode() : 0, QString(c));
    }
}

} // namespace

TEST(Memo, LinesAreSavedWithCrLfInWindows1252) {
    TMemo memo;
    memo.SetText("Ingresso\r\nPorta \xE8 nuova\nScala\rFine");
    EXPECT_EQ(memo.toPlainText(), QString::fromUtf8("Ingresso\nPorta è nuova\nScala\nFine"));
    EXPECT_EQ(memo.Text(), "Ingresso\r\nPorta \xE8 nuova\r\nScala\r\nFine");

    memo.SetText("");
    Type(memo, QString::fromUtf8("a€\u0142\nb\u00A0")); // ł has no Windows-1252 form: refused
    EXPECT_EQ(memo.Text(), "a\x80\r\nb\xA0") << "a non-breaking space stays one";
    EXPECT_EQ(memo.Length(), 6);
}

TEST(Memo, TypingPastingAndInputMethodStopAtTheLimit) {
    TMemo memo;
    memo.SetMaxLength(10);
    memo.SetText("0123456789ABC");
    EXPECT_EQ(memo.Text(), "0123456789") << "a longer text set by code is cut";

    memo.SetText("1234567");
    memo.moveCursor(QTextCursor::End);
    Type(memo, "89\nX");
    EXPECT_EQ(memo.Text(), "123456789X") << "a line break counts two and did not fit";
    Key(memo, Qt::Key_Backspace);
    Key(memo, Qt::Key_Backspace);
    Type(memo, "\nZ");
    EXPECT_EQ(memo.Text(), "12345678\r\n");

    // A selection makes room for what replaces it, and a paste takes what fits.
    memo.SetText("abcdefgh");
    memo.selectAll();
    QApplication::clipboard()->setText(QStringLiteral("uno\r\ndue\r\ntre"));
    memo.paste();
    EXPECT_EQ(memo.Text(), "uno\r\ndue\r\n");
    memo.SetText("abcdefgh");
    memo.moveCursor(QTextCursor::End);
    memo.paste();
    EXPECT_EQ(memo.Text(), "abcdefghun") << "the text already there is never cut";

    memo.SetText("abcdefg");
    memo.moveCursor(QTextCursor::End);
    QInputMethodEvent ime;
    ime.setCommitString(QString::fromUtf8("\u0142xyzw"));
    QApplication::sendEvent(&memo, &ime);
    EXPECT_EQ(memo.Text(), "abcdefgxyz");

    memo.SetMaxLength(0);
    memo.SetText(std::string(400, 'x'));
    EXPECT_EQ(memo.Length(), 400);
}
