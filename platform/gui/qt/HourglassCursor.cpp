#include "platform/gui/qt/HourglassCursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

namespace platform::gui {

HourglassCursor::HourglassCursor()
    : set_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
           QThread::currentThread() == QCoreApplication::instance()->thread()) {
    if (set_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

HourglassCursor::~HourglassCursor() {
    if (set_) QGuiApplication::restoreOverrideCursor();
}

} // namespace platform::gui
