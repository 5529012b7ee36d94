#include "platform/gui/qt/TMemo.h"

#include "platform/gui/qt/QtText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <algorithm>
#include <climits>

namespace platform::gui {
namespace {

constexpr QChar FineParagrafo(0x2029);
constexpr QChar FineRiga(0x2028);

// Every line break as one '\n'. The document's raw text keeps a non-breaking space as one (its
// plain text would turn it into a blank) and marks its breaks with the separators.
QString ConAcapi(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(FineParagrafo, u'\n');
    text.replace(FineRiga, u'\n');
    return text;
}

// As the saved text counts it: a line break is CR LF.
int Costo(const QString& text) {
    return int(text.size() + text.count(u'\n'));
}

bool Accettabile(QChar c) {
    if (c == u'\n' || c == u'\t') return true;
    return c.unicode() >= 0x20 && Cp1252Char(c).has_value();
}

} // namespace

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setAcceptDrops(false);
}

void TMemo::SetMaxLength(int length) {
    maxLength_ = length > 0 ? length : 0;
}

std::string TMemo::Text() const {
    QString text = ConAcapi(document()->toRawText());
    text.replace(u'\n', QStringLiteral("\r\n"));
    return ToCp1252(text);
}

void TMemo::SetText(std::string_view text) {
    setPlainText(Fitting(FromCp1252(text), maxLength_ > 0 ? maxLength_ : INT_MAX));
}

int TMemo::Length() const {
    return Costo(ConAcapi(document()->toRawText()));
}

int TMemo::Room() const {
    if (maxLength_ <= 0) return INT_MAX;
    const int selezione = Costo(ConAcapi(textCursor().selection().toRawText()));
    return std::max(0, maxLength_ - (Length() - selezione));
}

QString TMemo::Fitting(const QString& text, int room) {
    QString result;
    int costo = 0;
    for (QChar c : ConAcapi(text)) {
        if (!Accettabile(c)) continue;
        const int n = c == u'\n' ? 2 : 1;
        if (costo + n > room) break;
        costo += n;
        result.append(c);
    }
    return result;
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    const bool invio = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool scorciatoia = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    const QString testo = invio ? QStringLiteral("\n") : event->text();
    const bool inserisce =
        !isReadOnly() && !scorciatoia && !testo.isEmpty() &&
        (invio || std::all_of(testo.begin(), testo.end(), [](QChar c) { return c.isPrint() || c == u'\t'; }));
    // Tab moves the focus; everything that is not an insertion is the editor's own.
    if (!inserisce || event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    const QString ammesso = Fitting(testo, Room());
    if (ammesso.isEmpty()) return;
    if (!invio && ammesso == testo)
        QPlainTextEdit::keyPressEvent(event);
    else
        insertPlainText(ammesso);
}

void TMemo::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty() || isReadOnly()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    const QString ammesso = Fitting(commit, Room());
    if (ammesso == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent ridotto(event->preeditString(), event->attributes());
    ridotto.setCommitString(ammesso, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&ridotto);
    event->accept();
}

void TMemo::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText() || isReadOnly()) return;
    const QString ammesso = Fitting(source->text(), Room());
    if (!ammesso.isEmpty()) insertPlainText(ammesso);
}

} // namespace platform::gui
