#include "platform/gui/qt/QtDialogs.h"

#include "platform/diag/Diagnostica.h"
#include "platform/gui/qt/QtText.h"
#include "platform/thread/Thread.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QThread>

namespace platform::gui {
namespace {

bool HaveGui() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool OnGuiThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Runs `call` on the UI thread and gives its result; the caller's thread waits. The program's
// hand-over (platform::UiThread(), whose thread is Qt's GUI thread) is preferred: it is the one
// every other wait of the program cooperates with. Without it Qt's own blocking queue is used.
template <class F> auto OnUiThread(F call) -> decltype(call()) {
    if (OnGuiThread()) return call();
    decltype(call()) result{};
    if (platform::IUiThread* ui = platform::UiThread()) {
        ui->RunAndWait([&] { result = call(); });
        return result;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

QString Path(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

const char* Title(MsgKind kind) {
    switch (kind) {
    case MsgKind::Error:
        return "Error";
    case MsgKind::Information:
        return "Information";
    case MsgKind::Confirmation:
        return "Confirm";
    case MsgKind::Warning:
        return "Warning";
    }
    return "";
}

// The desktop writes a box's title in the title bar, beside the window's icon and the frame's
// buttons; a box only as wide as a short text and one button shows it cut to "...". Qt leaves the
// title room for a frame with a close button only, so the box's layout is held at least as wide as
// the title in the title font (bold, as desktops usually write it) with an icon and three buttons
// each about as wide as the bar is tall.
void AbbastanzaLargaPerIlTitolo(QMessageBox& box) {
    auto* griglia = qobject_cast<QGridLayout*>(box.layout());
    if (!griglia) return;
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics titolo(font);
    const int barra = titolo.height() + 10;
    const QMargins margini = griglia->contentsMargins();
    const int larghezza = titolo.horizontalAdvance(box.windowTitle()) + 4 * barra + barra / 2 -
                          margini.left() - margini.right();
    griglia->addItem(new QSpacerItem(larghezza, 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                     griglia->rowCount(), 0, 1, griglia->columnCount());
}

QString Trimmed(std::string_view s) {
    return FromCp1252(s).trimmed();
}

std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save) {
    if (!HaveGui()) return std::nullopt;
    return OnUiThread([&]() -> std::optional<std::string> {
        const auto dialog = MakeFileDialog(options, save, DialogParent());
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
        return QFile::encodeName(dialog->selectedFiles().first()).toStdString();
    });
}

} // namespace

QtDialogs::~QtDialogs() {
    if (&Dialogs() == this) SetDialogs(nullptr);
}

void QtDialogs::Install() {
    SetDialogs(this);
}

QString QtFileFilter(std::string_view filter) {
    QStringList parts;
    std::size_t start = 0;
    std::vector<std::string_view> fields; // description, patterns, description, ...
    for (std::size_t i = 0; i <= filter.size(); ++i) {
        if (i == filter.size() || filter[i] == '|') {
            fields.push_back(filter.substr(start, i - start));
            start = i + 1;
        }
    }
    for (std::size_t i = 0; i < fields.size(); i += 2) {
        QString description = Trimmed(fields[i]);
        QStringList patterns;
        if (i + 1 < fields.size())
            for (const QString& p : Trimmed(fields[i + 1]).split(QLatin1Char(';'), Qt::SkipEmptyParts))
                if (!p.trimmed().isEmpty()) patterns << p.trimmed();
        if (patterns.isEmpty()) {
            // A description without patterns: Qt would take its "(...)" as the patterns, or show
            // everything; either way keep the description readable.
            if (!description.isEmpty()) parts << description;
            continue;
        }
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0) description = description.left(open).trimmed();
        }
        const QString list = patterns.join(QLatin1Char(' '));
        parts << (description.isEmpty() ? list : description) + QStringLiteral(" (") + list +
                     QLatin1Char(')');
    }
    return parts.join(QStringLiteral(";;"));
}

QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

std::unique_ptr<QMessageBox> MakeMessageBox(MsgKind kind, const std::string& text, MsgButtons buttons,
                                            QWidget* parent) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case MsgKind::Error:
        icon = QMessageBox::Critical;
        break;
    case MsgKind::Information:
        icon = QMessageBox::Information;
        break;
    case MsgKind::Confirmation:
        icon = QMessageBox::Question;
        break;
    case MsgKind::Warning:
        icon = QMessageBox::Warning;
        break;
    }
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(icon);
    box->setWindowTitle(QString::fromLatin1(Title(kind)));
    box->setTextFormat(Qt::PlainText); // a text from the panel or a file is never markup
    box->setText(FromCp1252(text));
    box->setWindowModality(Qt::ApplicationModal);
    if (buttons == MsgButtons::YesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    AbbastanzaLargaPerIlTitolo(*box);
    return box;
}

MsgResult MessageResult(const QMessageBox& box, MsgButtons buttons) {
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    // Closing the box by its frame or Escape is a No: the answer that changes nothing.
    return box.clickedButton() == box.button(QMessageBox::Yes) ? MsgResult::Yes : MsgResult::No;
}

std::unique_ptr<QFileDialog> MakeFileDialog(const FileDialogOptions& options, bool save, QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks its own overwrite question with the file's name; do not ask twice.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    const QString title = FromCp1252(options.Title);
    dialog->setWindowTitle(!title.isEmpty() ? title
                           : save           ? QStringLiteral("Save As")
                                            : QStringLiteral("Open"));
    const QString filter = QtFileFilter(options.Filter);
    if (!filter.isEmpty()) dialog->setNameFilter(filter);
    QString suffix = FromCp1252(options.DefaultExt).trimmed();
    while (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog->setDefaultSuffix(suffix);
    const QString folder = options.InitialDir.empty() ? QDir::currentPath() : Path(options.InitialDir);
    dialog->setDirectory(folder);
    if (!options.FileName.empty()) dialog->selectFile(Path(options.FileName));
    return dialog;
}

MsgResult QtDialogs::Message(MsgKind kind, const std::string& text, MsgButtons buttons) {
    if (!HaveGui()) {
        // No window system: say it where someone may read it, answer what changes nothing.
        platform::Diagnostica(Title(kind), FromCp1252(text).toStdString());
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }
    return OnUiThread([&] {
        const auto box = MakeMessageBox(kind, text, buttons, DialogParent());
        box->exec();
        return MessageResult(*box, buttons);
    });
}

std::optional<std::string> QtDialogs::OpenFile(const FileDialogOptions& options) {
    return RunFileDialog(options, false);
}

std::optional<std::string> QtDialogs::SaveFile(const FileDialogOptions& options) {
    return RunFileDialog(options, true);
}

} // namespace platform::gui
