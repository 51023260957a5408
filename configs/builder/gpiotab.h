#pragma once

#include "derivations.h"
#include "pinmap.h"
#include "tab.h"

#include <QVector>

class QTabWidget;
class QTreeWidget;
class QWidget;

// The pin tab: the connector pages it is given, each with a left and a right tree of pins. Its
// pins are what the derived tabs are made from.
class GpioTab final : public Tab
{
public:
    static constexpr int kNumberColumn = 0;
    static constexpr int kNameColumn = 1;
    static constexpr int kCodeColumn = 2;
    static constexpr int kIndexColumn = 3;

    // A connector page: the group whose pins it shows, the first ten in its left tree and the rest
    // in its right one.
    struct ConnectorPage
    {
        PinGroup group = PinGroup::NoX;
        QWidget *page = nullptr;
        QTreeWidget *left = nullptr;
        QTreeWidget *right = nullptr;
    };

    struct PageTree
    {
        QWidget *page = nullptr;
        QTreeWidget *tree = nullptr;
        bool left = true;
    };

    // For code that holds only the form: the trees of the connector pages of a tab widget in tab
    // order, each page's left tree (grid column 0) before its right one (grid column 1).
    static QVector<PageTree> pageTrees(const QTabWidget *boosterPacks);
    // The connector group a page of the form shows, by the page's object name; pages with no header
    // name show the pins that lie on no header.
    static PinGroup groupOfPage(const QString &pageName);
    // Every pin row of those trees in page and tree order, with the row's texts: pin number, name,
    // code and index. Rows whose number is no pin (above 95, negative) are passed over.
    static QVector<PinSetting> scan(const QTabWidget *boosterPacks);

    // The receiver gets the signals of the editors in the rows: the window. The pages are in tab
    // order.
    GpioTab(QObject *receiver, const QVector<ConnectorPage> &pages);

    // Only a whole pin block is read.
    void fill(const QByteArray &block) override;
    // Always a whole pin block: a pin no row names keeps index 0 and code 0.
    QByteArray serialize() const override;
    void clear() override;
    std::optional<FunctionColumn> functionColumn(const QTreeWidget *tree) const override;
    QTreeWidgetItem *pinRow(quint32 pin) const override;

    // The pins of the tab's rows, as scan() lists them.
    QVector<PinSetting> pins() const;

private:
    // The tab's trees, as pageTrees() lists them.
    QVector<PageTree> trees() const;

    const QVector<ConnectorPage> pages;
    PinMaps pinMaps; // of every connector group
    QObject *const receiver;
};
