#include "platform/gui/qt/QtDialogs.h"
#include "platform/gui/qt/QtUiThread.h"
#include "platform/gui/qt/TraduzioniQt.h"
#include "support/TempFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

// Whether this is the ThreadSanitizer build: GCC says so with a macro, Clang with a feature test.
#if defined(__SANITIZE_THREAD__)
#define VM415_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VM415_TSAN 1
#endif
#endif

using namespace platform::gui;
using testing_support::TempFolder;

namespace {

// Acts on the next modal dialog once it is up: a timer of the event loop that the modal exec
// runs, checking every few milliseconds, stopped as soon as it acted.
void WhenDialogShows(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

void Press(QWidget* box, QMessageBox::StandardButton which) {
    auto* mb = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(mb, nullptr);
    mb->button(which)->click();
}

} // namespace

TEST(QtDialogs, FiltersInQtForm) {
    EXPECT_EQ(QtFileFilter("File Vm415 (*.415)|*.415"), QStringLiteral("File Vm415 (*.415)"));
    EXPECT_EQ(QtFileFilter("File Vm415 (*.415)|*.415| File Vm409 (*.409)|*.409"),
              QStringLiteral("File Vm415 (*.415);;File Vm409 (*.409)"));
    EXPECT_EQ(QtFileFilter("Text (*.ext)|*.ext|Other (*.x)|*.x"),
              QStringLiteral("Text (*.ext);;Other (*.x)"));
    // Several patterns, and a description whose own "(...)" does not say what is filtered.
    EXPECT_EQ(QtFileFilter("Testo|*.txt;*.log"), QStringLiteral("Testo (*.txt *.log)"));
    EXPECT_EQ(QtFileFilter("File Kit (*.abc)|*.kit"), QStringLiteral("File Kit (*.kit)"));
    EXPECT_EQ(QtFileFilter("|*.cod"), QStringLiteral("*.cod (*.cod)"));
    EXPECT_EQ(QtFileFilter("Citt\xE0 (*.415)|*.415"), QString::fromUtf8("Città (*.415)"));
    EXPECT_EQ(QtFileFilter(""), QString());
    EXPECT_EQ(QtFileFilter("Solo descrizione"), QStringLiteral("Solo descrizione"));
}

TEST(QtDialogs, MessageBoxesByKind) {
    const auto error = MakeMessageBox(MsgKind::Error, "File Error.", MsgButtons::Ok, nullptr);
    EXPECT_EQ(error->icon(), QMessageBox::Critical);
    EXPECT_EQ(error->windowTitle(), QStringLiteral("Error"));
    EXPECT_EQ(error->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(MessageResult(*error, MsgButtons::Ok), MsgResult::Ok);

    const auto info = MakeMessageBox(MsgKind::Information, "Ok", MsgButtons::Ok, nullptr);
    EXPECT_EQ(info->icon(), QMessageBox::Information);
    const auto warning = MakeMessageBox(MsgKind::Warning, "x", MsgButtons::Ok, nullptr);
    EXPECT_EQ(warning->icon(), QMessageBox::Warning);

    // Windows-1252 text, shown as plain text even when it looks like markup.
    const auto ask = MakeMessageBox(MsgKind::Confirmation, "prova.415 sovrascrivere <b>\xE8</b>?",
                                    MsgButtons::YesNo, nullptr);
    EXPECT_EQ(ask->icon(), QMessageBox::Question);
    EXPECT_EQ(ask->text(), QString::fromUtf8("prova.415 sovrascrivere <b>è</b>?"));
    EXPECT_EQ(ask->textFormat(), Qt::PlainText);
    EXPECT_EQ(ask->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(static_cast<QAbstractButton*>(ask->defaultButton()), ask->button(QMessageBox::Yes));
    EXPECT_EQ(ask->escapeButton(), ask->button(QMessageBox::No));
    EXPECT_EQ(MessageResult(*ask, MsgButtons::YesNo), MsgResult::No); // closed without an answer
}

// A desktop writes a box's title in its title bar beside the frame's buttons: a box only as wide
// as a short text and its buttons shows the title cut to "...".
TEST(QtDialogs, BoxesWithAShortTextAreWideEnoughForTheirTitleInEveryLanguage) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true); // as desktops usually write titles
    const QFontMetrics title(font);
    // The window's icon and three buttons (minimise, maximise, close), each about as wide as the
    // bar is tall.
    const int frame = 4 * (title.height() + 6);
    for (int language = 0; language < 4; ++language) {
        ImpostaLinguaQt(language); // Qt's own Yes, No and OK
        for (MsgKind kind : {MsgKind::Error, MsgKind::Information, MsgKind::Confirmation, MsgKind::Warning})
            for (MsgButtons buttons : {MsgButtons::Ok, MsgButtons::YesNo}) {
                const auto box = MakeMessageBox(kind, "Ok", buttons, nullptr);
                box->show(); // a box takes its size as it shows
                EXPECT_GE(box->width(), title.horizontalAdvance(box->windowTitle()) + frame)
                    << box->windowTitle().toStdString() << " with " << box->buttons().size()
                    << " buttons, language " << language;
            }
    }
}

TEST(QtDialogs, ModalMessagesReturnTheAnswer) {
    QtDialogs dialogs;
    WhenDialogShows([](QWidget* box) { Press(box, QMessageBox::Yes); });
    EXPECT_EQ(dialogs.Message(MsgKind::Confirmation, "Inviare?", MsgButtons::YesNo), MsgResult::Yes);
    WhenDialogShows([](QWidget* box) { Press(box, QMessageBox::No); });
    EXPECT_EQ(dialogs.Message(MsgKind::Confirmation, "Inviare?", MsgButtons::YesNo), MsgResult::No);
    WhenDialogShows([](QWidget* box) { qobject_cast<QDialog*>(box)->reject(); }); // Escape
    EXPECT_EQ(dialogs.Message(MsgKind::Confirmation, "Inviare?", MsgButtons::YesNo), MsgResult::No);
    WhenDialogShows([](QWidget* box) {
        EXPECT_EQ(qobject_cast<QMessageBox*>(box)->text(), QStringLiteral("Ok"));
        Press(box, QMessageBox::Ok);
    });
    EXPECT_EQ(dialogs.Message(MsgKind::Information, "Ok", MsgButtons::Ok), MsgResult::Ok);
}

TEST(QtDialogs, MessagesFromAWorkerThreadGoThroughTheProgramsHandOver) {
    QtDialogs dialogs;
    QtUiThread ui;
    std::atomic<bool> shownOnUi{false};
    WhenDialogShows([&](QWidget* box) {
        shownOnUi = QThread::currentThread() == qApp->thread() && box->thread() == qApp->thread();
        Press(box, QMessageBox::Yes);
    });
    std::atomic<MsgResult> answer{MsgResult::Ok};
    QEventLoop loop;
    std::thread worker([&] {
        answer = dialogs.Message(MsgKind::Confirmation, "Accettare la connessione?", MsgButtons::YesNo);
        ui.Post([&] { loop.quit(); });
    });
    loop.exec();
    worker.join();
    EXPECT_TRUE(shownOnUi);
    EXPECT_EQ(answer.load(), MsgResult::Yes);
}

TEST(QtDialogs, MessagesFromAWorkerThreadWithoutHandOverUseQtsQueue) {
#ifdef VM415_TSAN
    GTEST_SKIP() << "Qt's blocking queue synchronises with futexes ThreadSanitizer cannot see";
#endif
    ASSERT_EQ(platform::UiThread(), nullptr);
    QtDialogs dialogs;
    std::atomic<bool> shownOnUi{false};
    WhenDialogShows([&](QWidget* box) {
        shownOnUi = box->thread() == qApp->thread();
        Press(box, QMessageBox::No);
    });
    std::atomic<MsgResult> answer{MsgResult::Ok};
    QEventLoop loop;
    std::thread worker([&] {
        answer = dialogs.Message(MsgKind::Confirmation, "Accettare la connessione?", MsgButtons::YesNo);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    EXPECT_TRUE(shownOnUi);
    EXPECT_EQ(answer.load(), MsgResult::No);
}

TEST(QtDialogs, InstallsAndUninstallsItself) {
    DialogService* before = &Dialogs();
    {
        QtDialogs dialogs;
        EXPECT_EQ(&Dialogs(), before);
        dialogs.Install();
        EXPECT_EQ(&Dialogs(), &dialogs);
    }
    EXPECT_EQ(&Dialogs(), before);
}

TEST(QtDialogs, FileDialogsTakeTheirOptions) {
    TempFolder folder;
    FileDialogOptions options;
    options.Title = "Apri configurazione \xE8";
    options.Filter = "File Vm415 (*.415)|*.415| File Vm409 (*.409)|*.409";
    options.DefaultExt = ".415";
    options.InitialDir = folder.Path();
    options.FileName = "centrale.415";

    const auto open = MakeFileDialog(options, false, nullptr);
    EXPECT_EQ(open->windowTitle(), QString::fromUtf8("Apri configurazione è"));
    EXPECT_EQ(open->nameFilters(), (QStringList{"File Vm415 (*.415)", "File Vm409 (*.409)"}));
    EXPECT_EQ(open->defaultSuffix(), QStringLiteral("415"));
    EXPECT_EQ(open->directory().absolutePath(), QDir(QString::fromStdString(folder.Path())).absolutePath());
    EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);

    const auto save = MakeFileDialog(options, true, nullptr);
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(save->testOption(QFileDialog::DontConfirmOverwrite)); // the program asks itself

    options.Title.clear();
    options.InitialDir.clear();
    const auto plain = MakeFileDialog(options, true, nullptr);
    EXPECT_EQ(plain->windowTitle(), QStringLiteral("Save As"));
    EXPECT_EQ(plain->directory().absolutePath(), QDir::currentPath());
}

TEST(QtDialogs, FileChoicesGiveTheFileSystemsOwnPath) {
    TempFolder folder;
    // A name outside plain ASCII: the path must come back byte for byte as the file system has it.
    const std::string name = "Citt\xC3\xA0.415"; // UTF-8 on disk
    folder.Write(name, std::string("x"));
    QtDialogs dialogs;
    FileDialogOptions options;
    options.Filter = "File Vm415 (*.415)|*.415";
    options.DefaultExt = "415";
    options.InitialDir = folder.Path();

    WhenDialogShows([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QFile::decodeName(QByteArray::fromStdString(folder.File(name))));
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto chosen = dialogs.OpenFile(options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, folder.File(name));

    WhenDialogShows([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QStringLiteral("nuova"));
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto saved = dialogs.SaveFile(options);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, folder.File("nuova.415")); // the default extension added

    WhenDialogShows([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(dialogs.SaveFile(options).has_value());
}
