#pragma once

#include "derivations.h"
#include "pinmap.h"
#include "tab.h"

#include <QVector>
#include <functional>

class QTabWidget;
class QTreeWidget;
class QWidget;

// The pin tab: the connector pages of the tab widget it is given, each with a left and a right
// tree of pins. Its pins are what the derived tabs are made from.
class GpioTab final : public Tab
{
public:
    static constexpr int kNumberColumn = 0;
    static constexpr int kNameColumn = 1;
    static constexpr int kCodeColumn = 2;
    static constexpr int kIndexColumn = 3;

    struct PageTree
    {
        QWidget *page = nullptr;
        QTreeWidget *tree = nullptr;
        bool left = true;
    };

    // The trees of the connector pages in tab order, each page's left tree before its right; a
    // tree is left or right by its name.
    static QVector<PageTree> pageTrees(const QTabWidget *boosterPacks);
    // The connector group a page shows, by the page's object name; pages with no header name show
    // the pins that lie on no header.
    static PinGroup groupOfPage(const QString &pageName);
    // Every pin row in page and tree order, with the row's texts: pin number, name, code and
    // index. Rows whose number is no pin (above 95, negative) are passed over.
    static QVector<PinSetting> scan(const QTabWidget *boosterPacks);

    // The window's map of each connector group.
    using PinMaps = std::function<const PinMap &(PinGroup)>;

    // The receiver gets the signals of the editors in the rows: the window.
    GpioTab(QObject *receiver, QTabWidget *boosterPacks, const PinMaps &pinMaps);

    // Only a whole pin block is read.
    void fill(const QByteArray &block) override;
    // Always a whole pin block: a pin no row names keeps index 0 and code 0.
    QByteArray serialize() const override;
    void clear() override;
    std::optional<FunctionColumn> functionColumn(const QTreeWidget *tree) const override;
    QTreeWidgetItem *pinRow(quint32 pin) const override;

    QVector<PinSetting> pins() const;

private:
    QTabWidget *const boosterPacks;
    const PinMaps pinMaps;
    QObject *const receiver;
};
