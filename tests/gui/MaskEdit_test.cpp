#include "platform/gui/qt/DelphiMask.h"
#include "platform/gui/qt/TMaskEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <gtest/gtest.h>

using platform::gui::DelphiMask;
using platform::gui::TMaskEdit;

namespace {

void Key(QWidget& w, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(&w, &release);
}

// Types as a keyboard would, one key event per character.
void Type(QWidget& w, const QString& text) {
    for (QChar c : text)
        Key(w, c.isLetterOrNumber() ? c.toUpper().unicode() : 0, QString(c));
}

struct MaskCase {
    const char* mask;
    std::size_t length;       // positions, literals included
    const char* emptyText;    // Text() of an empty field
    const char* emptyDisplay; // what an empty field shows
    const char* typed;        // keys typed into an empty field
    const char* typedText;    // Text() after typing them
    const char* overlong;     // a text longer than the mask
    const char* overlongText; // what SetText keeps of it
};

// Every mask the windows use.
const MaskCase kMasks[] = {
    {"!99/99/00;1;_", 8, "  /  /  ", "__/__/__", "311224", "31/12/24", "31/12/2024", "31/12/20"},
    {"cccccc;1;_", 6, "      ", "______", "R 12", "R 12  ", "1234567", "123456"},
    {"ccccccccccccccc;1;_", 15, "               ", "_______________", "*123#", "*123#          ",
     "0123456789012345", "012345678901234"},
    {"cccccccccccccccc;0; ", 16, "", "                ", "Tastiera 1", "Tastiera 1", "Tastiera ingresso 1",
     "Tastiera ingress"},
    {"ccccccccccccccccccccccccc;0; ", 25, "", "                         ", "Zona 01 cucina", "Zona 01 cucina",
     "Porta d'ingresso principale", "Porta d'ingresso principa"},
    {"999999;1;_", 6, "      ", "______", "004711", "004711", "1234567", "123456"},
    {"9999;1;_", 4, "    ", "____", "12", "12  ", "12345", "1234"},
    {"999999999999999;1;_", 15, "               ", "_______________", "0471123456", "0471123456     ",
     "0123456789012345", "012345678901234"},
    {"#99999999999999;1;_", 15, "               ", "_______________", "+39347", "+39347         ",
     "+3934712345678901", "+39347123456789"},
};

} // namespace

TEST(DelphiMask, EveryWindowMaskEmptyTypedAndOverlong) {
    for (const MaskCase& m : kMasks) {
        SCOPED_TRACE(m.mask);
        const DelphiMask mask(m.mask);
        ASSERT_TRUE(mask.IsMasked());
        EXPECT_EQ(mask.Size(), m.length);
        EXPECT_EQ(mask.ToText(mask.Empty()), m.emptyText);
        EXPECT_EQ(mask.Display(mask.Empty()), m.emptyDisplay);
        EXPECT_EQ(mask.ToText(mask.FromText(m.overlong)), m.overlongText);

        TMaskEdit edit;
        edit.SetEditMask(m.mask);
        EXPECT_EQ(edit.Text(), m.emptyText);
        EXPECT_EQ(edit.EditText(), m.emptyDisplay);
        EXPECT_EQ(edit.maxLength(), int(m.length));
        Type(edit, QString::fromLatin1(m.typed));
        EXPECT_EQ(edit.Text(), m.typedText);
        EXPECT_TRUE(edit.isModified());
        // What the field gives back it takes again unchanged (a load/save round trip).
        TMaskEdit again;
        again.SetEditMask(m.mask);
        again.SetText(edit.Text());
        EXPECT_EQ(again.Text(), edit.Text());
        EXPECT_FALSE(again.isModified());
    }
}

TEST(DelphiMask, LiteralsAreSavedOnlyWhenTheMaskSaysSo) {
    const DelphiMask withLiterals("!99/99/00;1;_");
    EXPECT_EQ(withLiterals.ToText(withLiterals.FromText("01/02/03")), "01/02/03");
    const DelphiMask without("99/99/00;0;_");
    EXPECT_FALSE(without.SaveLiterals());
    const auto cells = without.FromText("010203");
    EXPECT_EQ(without.ToText(cells), "010203");
    EXPECT_EQ(without.Display(cells), "01/02/03");

    const DelphiMask ip("000\\.000\\.000\\.000;1;_");
    EXPECT_EQ(ip.Size(), 15u);
    EXPECT_EQ(ip.ToText(ip.Empty()), "   .   .   .   ");
    EXPECT_EQ(ip.ToText(ip.FromText("192.168.001.010")), "192.168.001.010");
    EXPECT_TRUE(ip.IsComplete(ip.FromText("192.168.001.010")));
    EXPECT_FALSE(ip.IsComplete(ip.FromText("192.168.001.01")));
}

TEST(DelphiMask, PositionsRefuseWhatDoesNotFit) {
    const DelphiMask digits("999999;1;_");
    EXPECT_EQ(digits.ToText(digits.FromText("12a4-6")), "12 4 6");
    const DelphiMask phone("#99999999999999;1;_");
    EXPECT_EQ(phone.ToText(phone.FromText("-5")), "-5             ");
    EXPECT_EQ(phone.ToText(phone.FromText("3+")), "3              "); // a sign only at the '#'
    const DelphiMask any("cccccc;1;_");
    EXPECT_EQ(any.ToText(any.FromText("\x80 \xE8\x01x")), "\x80 \xE8 x "); // euro, è; a control char is not
    const DelphiMask letters("LLaa;1;_");
    EXPECT_EQ(letters.ToText(letters.FromText("\xC0"
                                              "b1c")),
              "\xC0"
              "b1c");
    EXPECT_EQ(letters.ToText(letters.FromText("1b!c")), " b c");
    EXPECT_FALSE(letters.IsComplete(letters.FromText(" b")));
}

TEST(DelphiMask, RequiredPositionsMakeAFieldComplete) {
    const DelphiMask date("!99/99/00;1;_");
    EXPECT_FALSE(date.IsComplete(date.Empty()));             // the year is required
    EXPECT_TRUE(date.IsComplete(date.FromText("  /  /24"))); // day and month are not
    EXPECT_FALSE(date.IsComplete(date.FromText("31/12/2 ")));
    const DelphiMask descr("cccccccccccccccc;0; ");
    EXPECT_TRUE(descr.IsComplete(descr.Empty()));
}

TEST(DelphiMask, SyntaxDetails) {
    const DelphiMask defaults("99");
    EXPECT_TRUE(defaults.SaveLiterals());
    EXPECT_EQ(defaults.Blank(), '_');

    const DelphiMask cased(">LL<ll<>ll;1;*");
    EXPECT_EQ(cased.Blank(), '*');
    EXPECT_EQ(cased.ToText(cased.FromText("abCDeF")), "ABcdeF");
    EXPECT_EQ(cased.ToText(cased.FromText("\xE8\xC8")), "\xC8\xC8    "); // è upper-cased to È

    const DelphiMask escaped("9\\;9_9\\9;1;_");
    ASSERT_EQ(escaped.Size(), 6u);
    EXPECT_TRUE(escaped.IsLiteral(1));
    EXPECT_EQ(escaped.Positions()[1].literal, ';');
    EXPECT_EQ(escaped.Positions()[3].literal, ' '); // '_' is a literal blank
    EXPECT_EQ(escaped.Positions()[5].literal, '9');
    EXPECT_EQ(escaped.ToText(escaped.FromText("1;2 39")), "1;2 39");

    // '!': a shorter text leaves the unfilled positions at the left.
    const DelphiMask left("!9999;1;_");
    EXPECT_EQ(left.ToText(left.FromText("12")), "  12");
    const DelphiMask right("9999;1;_");
    EXPECT_EQ(right.ToText(right.FromText("12")), "12  ");

    EXPECT_FALSE(DelphiMask("").IsMasked());
    EXPECT_FALSE(DelphiMask(";1;_").IsMasked());
}

TEST(MaskEdit, TypingSkipsLiteralsAndJumpsOnSeparators) {
    TMaskEdit edit;
    edit.SetEditMask("!99/99/00;1;_");
    Type(edit, "3112");
    EXPECT_EQ(edit.cursorPosition(), 6); // past the second '/'
    Type(edit, "x");                     // refused: a digit goes here
    EXPECT_EQ(edit.Text(), "31/12/  ");
    EXPECT_FALSE(edit.IsComplete());

    edit.SetText("");
    Type(edit, "1/2/24");
    EXPECT_EQ(edit.EditText(), "1_/2_/24");
    EXPECT_EQ(edit.Text(), "1 /2 /24");
    EXPECT_TRUE(edit.IsComplete());
    Type(edit, "5"); // past the end: nothing changes
    EXPECT_EQ(edit.Text(), "1 /2 /24");
}

TEST(MaskEdit, BackspaceDeleteAndSelectionEmptyPositionsWithoutShifting) {
    TMaskEdit edit;
    edit.SetEditMask("!99/99/00;1;_");
    edit.SetText("31/12/24");
    edit.setCursorPosition(3);
    Key(edit, Qt::Key_Backspace); // steps back over the '/' and empties the day's second digit
    EXPECT_EQ(edit.Text(), "3 /12/24");
    EXPECT_EQ(edit.cursorPosition(), 1);
    edit.setCursorPosition(2);
    Key(edit, Qt::Key_Delete); // on the '/': empties the next digit
    EXPECT_EQ(edit.Text(), "3 / 2/24");
    edit.setSelection(0, 8);
    Type(edit, "0");
    EXPECT_EQ(edit.Text(), "0 /  /  ");

    // Word and line deletions would shift the layout: they do nothing.
    edit.SetText("31/12/24");
    edit.setCursorPosition(8);
    Key(edit, Qt::Key_Backspace, {}, Qt::ControlModifier);
    Key(edit, Qt::Key_Z, {}, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "31/12/24");
}

TEST(MaskEdit, PasteIsTypedAndOtherRoutesCannotBreakTheLayout) {
    TMaskEdit edit;
    edit.SetEditMask("999999999999999;1;_");
    QApplication::clipboard()->setText(QStringLiteral("0471 12-34\n56"));
    Key(edit, Qt::Key_V, {}, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "0471123456     "); // what does not fit a digit is dropped

    // A change around our editing (the standard insert, an outside setText through the base
    // class) is checked against the mask: nothing that breaks it gets in.
    edit.setCursorPosition(0);
    edit.insert(QStringLiteral("abc"));
    EXPECT_EQ(edit.Text(), "0471123456     ");
    static_cast<QLineEdit&>(edit).setText(QStringLiteral("12_3"));
    EXPECT_EQ(edit.Text(), "12 3           ");
    EXPECT_EQ(edit.EditText(), "12_3___________");

    edit.setSelection(0, 2);
    Key(edit, Qt::Key_X, {}, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("12"));
    EXPECT_EQ(edit.Text(), "   3           ");
}

TEST(MaskEdit, BlanksAndSpacesInDescriptions) {
    TMaskEdit edit;
    edit.SetEditMask("ccccccccccccccccccccccccc;0; ");
    // A description from a file keeps its blanks, trailing ones included.
    edit.SetText("Zona 01  ");
    EXPECT_EQ(edit.Text(), "Zona 01  ");
    edit.SetText("  centrale");
    EXPECT_EQ(edit.Text(), "  centrale");
    edit.SetText("");
    Type(edit, " a b");
    EXPECT_EQ(edit.Text(), " a b");
    edit.setCursorPosition(4);
    Key(edit, Qt::Key_Backspace); // the typed blank before it stays: it was typed
    EXPECT_EQ(edit.Text(), " a ");
}

TEST(MaskEdit, AClickInTheBlanksAfterTheTextTypesRightAfterIt) {
    TMaskEdit edit;
    edit.SetEditMask("ccccccccccccccccccccccccc;0; ");
    edit.resize(300, 30);
    edit.show();
    // A left click where the edit shows position `posizione`.
    const auto clic = [&](int posizione) {
        int x = 0;
        while (x < edit.width() && edit.cursorPositionAt(QPoint(x, 15)) < posizione)
            ++x;
        QMouseEvent premuto(QEvent::MouseButtonPress, QPointF(x, 15), edit.mapToGlobal(QPointF(x, 15)),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &premuto);
        QMouseEvent rilasciato(QEvent::MouseButtonRelease, QPointF(x, 15), edit.mapToGlobal(QPointF(x, 15)),
                               Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &rilasciato);
    };

    clic(12); // the middle of an empty description
    Type(edit, "Porta");
    EXPECT_EQ(edit.Text(), "Porta");
    clic(20);
    Type(edit, " ingresso");
    EXPECT_EQ(edit.Text(), "Porta ingresso") << "nothing before it, nothing cut at the end";
    // Inside the text the click stays where it fell.
    clic(2);
    EXPECT_EQ(edit.cursorPosition(), 2);

    // The same with literals: after the last digit typed.
    edit.SetEditMask("!99/99/00;1;_");
    edit.SetText("");
    clic(5);
    Type(edit, "311224");
    EXPECT_EQ(edit.Text(), "31/12/24");
}

TEST(MaskEdit, Windows1252AtTheBoundary) {
    TMaskEdit edit;
    edit.SetEditMask("cccccc;1;_");
    Type(edit, QString::fromUtf8("€è\u0142x")); // ł has no Windows-1252 form: refused
    EXPECT_EQ(edit.Text(), "\x80\xE8x   ");
    EXPECT_EQ(edit.displayText(), QString::fromUtf8("€èx___"));

    TMaskEdit plain;
    plain.SetMaxLength(5);
    plain.SetText("Caff\xE8 macchiato");
    EXPECT_EQ(plain.Text(), "Caff\xE8");
    EXPECT_EQ(plain.text(), QString::fromUtf8("Caffè"));
    plain.SetText("");
    Type(plain, QString::fromUtf8("a\u0142b"));
    EXPECT_EQ(plain.Text(), "ab");
    plain.SetMaxLength(0);
    plain.SetText(std::string(300, 'x'));
    EXPECT_EQ(plain.Text().size(), 300u);
}

TEST(MaskEdit, ChangingTheMaskKeepsWhatFits) {
    TMaskEdit edit;
    edit.SetText("12ab");
    edit.SetEditMask("9999;1;_");
    EXPECT_EQ(edit.Text(), "12  ");
    EXPECT_EQ(edit.EditMask(), "9999;1;_");
    edit.SetEditMask("");
    EXPECT_EQ(edit.Text(), "12  ");
    EXPECT_FALSE(edit.Mask().IsMasked());
}

TEST(MaskEdit, ReadOnlyFieldsIgnoreTyping) {
    TMaskEdit edit;
    edit.SetEditMask("99:99 99/99/99;1;_");
    edit.SetText("12:30 31/12/24");
    edit.setReadOnly(true);
    edit.setCursorPosition(0);
    Type(edit, "99");
    Key(edit, Qt::Key_Delete);
    EXPECT_EQ(edit.Text(), "12:30 31/12/24");
}

TEST(MaskEdit, ContextMenuAndInputMethodGoThroughTheMask) {
    TMaskEdit edit;
    edit.SetEditMask("!99/99/00;1;_");
    edit.resize(120, 24);
    QApplication::clipboard()->setText(QStringLiteral("31-12-24"));
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), edit.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&edit, &menuEvent);
    QMenu* menu = edit.findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->objectName() == QLatin1String("edit-paste")) paste = a;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    EXPECT_EQ(edit.Text(), "31/12/24"); // typed: the dashes were refused, the digits placed
    menu->close();

    edit.SetText("");
    QInputMethodEvent composed(QString(), {});
    composed.setCommitString(QStringLiteral("0a1"));
    QApplication::sendEvent(&edit, &composed);
    EXPECT_EQ(edit.Text(), "01/  /  ");
}
