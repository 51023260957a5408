#include "i18n.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    I18n::install();
    MainWindow window;
    window.show();
    return application.exec();
}
