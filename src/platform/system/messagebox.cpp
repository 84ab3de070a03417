#include "platform/system/messagebox.h"

#include "platform/io/files.h"
#include "platform/system/session.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <atomic>
#include <cstdio>

namespace prenso {
namespace {

// The boxes of a run: a test's hook, and how many errors were shown.
struct MessageBoxes {
    MessageBoxHook hook;
    std::atomic<int> errors{0};
};

MessageBoxes &boxes()
{
    return Session::current().part<MessageBoxes>();
}

void show(BoxKind kind, const QString &message)
{
    const QString caption = applicationTitle();
    // File names the caller gave in its own code page, as the operator reads them.
    const QString text = files::readableText(message);
    MessageBoxes &run = boxes();
    if (kind == BoxKind::Error)
        ++run.errors;
    if (run.hook) {
        run.hook(kind, caption, text);
        return;
    }
    if (dialogsAutomatic() || !qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), text.toLocal8Bit().constData());
        return;
    }
    QMessageBox box(kind == BoxKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption, text,
                    QMessageBox::Ok);
    box.exec();
}

} // namespace

QString applicationTitle()
{
    return QFileInfo(files::executablePath()).completeBaseName();
}

QString withFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

bool dialogsAutomatic()
{
    const QByteArray setting = qgetenv("PRENSO_DIALOGS");
    if (setting == "auto")
        return true;
    if (setting == "attended")
        return false;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return true;
    // These platforms draw into memory: no one sees the window.
    const QString platform = QGuiApplication::platformName();
    return platform == u"offscreen" || platform == u"minimal" || platform == u"minimalegl";
}

int errorBoxCount()
{
    return boxes().errors.load();
}

void showErrorBox(const QString &message)
{
    show(BoxKind::Error, withFullStop(message));
}

void showErrorMessage(const QString &text)
{
    show(BoxKind::Error, text);
}

void showPlainMessage(const QString &text)
{
    show(BoxKind::Plain, text);
}

void setMessageBoxHook(MessageBoxHook h)
{
    boxes().hook = std::move(h);
}

} // namespace prenso
