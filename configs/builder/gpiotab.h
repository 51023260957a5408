#pragma once

#include "derivations.h"
#include "pinmap.h"

#include <QVector>

class QTabWidget;
class QTreeWidget;
class QWidget;

// The pin tab's trees as the form holds them, and the one walk over them that every derivation
// (and the writer) uses.
namespace GpioTab {

constexpr int kNumberColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kCodeColumn = 2;
constexpr int kIndexColumn = 3;

struct PageTree
{
    QWidget *page = nullptr;
    QTreeWidget *tree = nullptr;
    bool left = true;
};

// The trees of the connector pages in tab order, each page's left tree before its right; a tree is
// left or right by its name.
QVector<PageTree> pageTrees(const QTabWidget *boosterPacks);

// The connector group a page shows, by the page's object name; pages with no header name show
// the pins that lie on no header.
PinGroup groupOfPage(const QString &pageName);

// Every pin row in page and tree order, with the row's texts: pin number, name, code and index.
// Rows whose number is no pin (above 95, negative) are passed over.
QVector<PinSetting> scan(const QTabWidget *boosterPacks);

} // namespace GpioTab
