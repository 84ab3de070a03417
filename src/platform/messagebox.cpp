#include "platform/messagebox.h"

#include "platform/files.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace prenso {
namespace {

MessageBoxHook &hook()
{
    static MessageBoxHook h;
    return h;
}

void show(BoxKind kind, const QString &text)
{
    const QString caption = applicationTitle();
    if (hook()) {
        hook()(kind, caption, text);
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
    const char *v = std::getenv("PRENSO_DIALOGS");
    return v && QByteArray(v) == "auto";
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
    hook() = std::move(h);
}

} // namespace prenso
