#pragma once

#include <QTreeWidgetItem>

// A row of the file list. The size column holds text such as "512 Байт", so it is ordered by the
// number in front of the text; every other column keeps the standard ordering.
class MyQTreeWidgetItem final : public QTreeWidgetItem
{
public:
    MyQTreeWidgetItem() = default;
    ~MyQTreeWidgetItem() override;
    MyQTreeWidgetItem(const MyQTreeWidgetItem &) = delete;
    MyQTreeWidgetItem &operator=(const MyQTreeWidgetItem &) = delete;

    bool operator<(const QTreeWidgetItem &other) const override;

    // The number at the front of a size text ("512 Байт" gives 512; 0 if there is none).
    static qint64 sizeFromText(const QString &text);
};
