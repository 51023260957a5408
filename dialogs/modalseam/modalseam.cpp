#include "modalseam.h"

#include <QDesktopServices>
#include <QMenu>
#include <QPushButton>

namespace {
ModalSeam::Handler &handlerSlot()
{
    static ModalSeam::Handler handler;
    return handler;
}
} // namespace

void ModalSeam::setHandler(Handler handler)
{
    handlerSlot() = std::move(handler);
}

QMessageBox::StandardButton ModalSeam::staticBox(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                                 const QString &text, QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton)
{
    if (handlerSlot()) {
        Request request;
        request.kind = Kind::MessageBox;
        request.parent = parent;
        request.icon = icon;
        request.title = title;
        request.text = text;
        request.buttons = buttons;
        request.defaultButton = defaultButton;
        return static_cast<QMessageBox::StandardButton>(handlerSlot()(request).button);
    }
    if (icon == QMessageBox::Question)
        return QMessageBox::question(parent, title, text, buttons, defaultButton);
    if (icon == QMessageBox::Information)
        return QMessageBox::information(parent, title, text, buttons, defaultButton);
    if (icon == QMessageBox::Warning)
        return QMessageBox::warning(parent, title, text, buttons, defaultButton);
    return QMessageBox::critical(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ModalSeam::critical(QWidget *parent, const QString &title, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
    return staticBox(QMessageBox::Critical, parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ModalSeam::warning(QWidget *parent, const QString &title, const QString &text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton)
{
    return staticBox(QMessageBox::Warning, parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ModalSeam::information(QWidget *parent, const QString &title, const QString &text,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton)
{
    return staticBox(QMessageBox::Information, parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ModalSeam::question(QWidget *parent, const QString &title, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
    return staticBox(QMessageBox::Question, parent, title, text, buttons, defaultButton);
}

int ModalSeam::execMessageBox(QMessageBox *box)
{
    if (handlerSlot()) {
        Request request;
        request.kind = Kind::BuiltMessageBox;
        request.parent = box->parentWidget();
        request.icon = box->icon();
        request.title = box->windowTitle();
        request.text = box->text();
        request.buttons = box->standardButtons();
        request.defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                     : QMessageBox::NoButton;
        request.box = box;
        return handlerSlot()(request).button;
    }
    return box->exec();
}

QAction *ModalSeam::execMenu(QMenu *menu, const QPoint &globalPos)
{
    if (handlerSlot()) {
        Request request;
        request.kind = Kind::Menu;
        request.parent = menu->parentWidget();
        request.menu = menu;
        request.position = globalPos;
        return handlerSlot()(request).action;
    }
    return menu->exec(globalPos);
}

namespace {
ModalSeam::Request chooserRequest(ModalSeam::Kind kind, QWidget *parent, const QString &caption,
                                  const QString &dir, const QString &filter, QFileDialog::Options options)
{
    ModalSeam::Request request;
    request.kind = kind;
    request.parent = parent;
    request.title = caption;
    request.directory = dir;
    request.filter = filter;
    request.options = options;
    return request;
}
} // namespace

QString ModalSeam::getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                        QFileDialog::Options options)
{
    if (handlerSlot())
        return handlerSlot()(chooserRequest(Kind::ExistingDirectory, parent, caption, dir, QString(), options)).path;
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

QStringList ModalSeam::getOpenFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                        const QString &filter, QString *selectedFilter,
                                        QFileDialog::Options options)
{
    if (handlerSlot())
        return handlerSlot()(chooserRequest(Kind::OpenFileNames, parent, caption, dir, filter, options)).paths;
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter, selectedFilter, options);
}

QString ModalSeam::getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                   const QString &filter, QString *selectedFilter, QFileDialog::Options options)
{
    if (handlerSlot())
        return handlerSlot()(chooserRequest(Kind::SaveFileName, parent, caption, dir, filter, options)).path;
    return QFileDialog::getSaveFileName(parent, caption, dir, filter, selectedFilter, options);
}

bool ModalSeam::openUrl(const QUrl &url)
{
    if (handlerSlot()) {
        Request request;
        request.kind = Kind::OpenUrl;
        request.url = url;
        return handlerSlot()(request).opened;
    }
    return QDesktopServices::openUrl(url);
}
