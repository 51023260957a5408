#include "myqtreewidgetitem.h"

#include <QCoreApplication>
#include <QTreeWidget>

MyQTreeWidgetItem::~MyQTreeWidgetItem() = default;

qint64 MyQTreeWidgetItem::sizeFromText(const QString &text)
{
    // Runs for every comparison while sorting, so no list of parts is built; a text without a
    // space is taken whole.
    const QStringView number = QStringView(text).left(text.indexOf(QLatin1Char(' ')));
    // Read wider than 32 bits: big-form sizes are unsigned 32-bit and would not fit a signed int.
    bool ok = false;
    const qint64 value = number.toLongLong(&ok, 10);
    return ok ? value : 0;
}

bool MyQTreeWidgetItem::operator<(const QTreeWidgetItem &other) const
{
    const QTreeWidget *view = treeWidget();
    if (!view)
        return QTreeWidgetItem::operator<(other);

    // The size column is recognised by its header text, so it keeps working if columns move.
    const int column = view->sortColumn();
    const QTreeWidgetItem *header = view->headerItem();
    if (header && header->text(column) == QCoreApplication::translate("MainWindow", "Размер"))
        return sizeFromText(text(column)) < sizeFromText(other.text(column));
    return QTreeWidgetItem::operator<(other);
}
