#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QAction;
class QMenu;
class QWidget;

// The one place through which the program asks the user anything modally: message boxes,
// popup menus, and file and folder choosers; and through which it hands a file to the desktop.
// By default every call opens the standard Qt dialog with exactly the arguments it was given; a
// test installs a handler and answers instead, so nothing blocks a headless run.
class ModalSeam
{
public:
    enum class Kind {
        MessageBox,        // a static QMessageBox call (critical, question, ...)
        BuiltMessageBox,   // a QMessageBox built by the caller and run with exec()
        Menu,              // QMenu::exec at a screen position
        ExistingDirectory, // QFileDialog::getExistingDirectory
        OpenFileNames,     // QFileDialog::getOpenFileNames
        SaveFileName,      // QFileDialog::getSaveFileName
        OpenUrl,           // QDesktopServices::openUrl: a file handed to the desktop (a browser)
    };

    struct Request
    {
        Kind kind = Kind::MessageBox;
        QWidget *parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title; // box title or chooser caption
        QString text;  // box text
        QMessageBox::StandardButtons buttons = QMessageBox::NoButton;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox *box = nullptr; // BuiltMessageBox
        QMenu *menu = nullptr;      // Menu
        QPoint position;            // Menu: global position
        QString directory;          // chooser start directory
        QString filter;             // chooser filter
        QFileDialog::Options options;
        QUrl url; // OpenUrl
    };

    struct Answer
    {
        int button = QMessageBox::NoButton; // message boxes: the standard button; dialogs: the result code
        QAction *action = nullptr;          // menus: the chosen action, or none when dismissed
        QString path;                       // single choosers: empty means cancelled
        QStringList paths;                  // OpenFileNames
        bool opened = false;                // OpenUrl: whether the desktop took it
    };

    using Handler = std::function<Answer(const Request &)>;

    // Installs a handler that answers every request; an empty handler restores the real dialogs.
    static void setHandler(Handler handler);

    static QMessageBox::StandardButton critical(QWidget *parent, const QString &title, const QString &text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton warning(QWidget *parent, const QString &title, const QString &text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text,
                                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton question(
        QWidget *parent, const QString &title, const QString &text,
        QMessageBox::StandardButtons buttons = QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No),
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // Runs a box the caller built (custom button texts and so on); returns the standard button chosen.
    static int execMessageBox(QMessageBox *box);
    // Pops a menu up modally at a global position; returns the chosen action or none.
    static QAction *execMenu(QMenu *menu, const QPoint &globalPos);

    static QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                        QFileDialog::Options options = QFileDialog::ShowDirsOnly);
    static QStringList getOpenFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                        const QString &filter = QString(), QString *selectedFilter = nullptr,
                                        QFileDialog::Options options = QFileDialog::Options());

    static QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                   const QString &filter = QString(), QString *selectedFilter = nullptr,
                                   QFileDialog::Options options = QFileDialog::Options());
    // Hands a file or address to the desktop's program for it; false when none took it.
    static bool openUrl(const QUrl &url);

private:
    static QMessageBox::StandardButton staticBox(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                                 const QString &text, QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton);
};
