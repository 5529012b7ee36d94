// The program. Until the windows are built it opens a placeholder main window, so that
// scripts/run has something to start.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Centrale");
    QMainWindow window;
    window.setWindowTitle("Centrale Vm415");
    auto* label = new QLabel("Vm415 programming tool: the windows are being built.");
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(640, 400);
    window.show();
    return QApplication::exec();
}
