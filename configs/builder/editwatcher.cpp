#include "editwatcher.h"

#include <QAbstractItemModel>
#include <QTreeWidget>

EditWatcher::EditWatcher(QObject *parent) : QObject(parent) {}

void EditWatcher::watch(QTreeWidget *tree)
{
    QAbstractItemModel *model = tree->model();
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QVector<int> &roles) {
                // No roles named: anything may have changed.
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole))
                    emit edited();
            });
    connect(model, &QAbstractItemModel::rowsInserted, this, &EditWatcher::note);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &EditWatcher::note);
    connect(model, &QAbstractItemModel::modelReset, this, &EditWatcher::note);
}

void EditWatcher::note()
{
    emit edited();
}

SettleTimer::SettleTimer(int quietMs, QObject *parent) : QObject(parent), quietMs(quietMs)
{
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &SettleTimer::expire);
}

void SettleTimer::poke()
{
    sinceLastPoke.start();
    if (!timer.isActive())
        timer.start(quietMs);
}

void SettleTimer::cancel()
{
    timer.stop();
}

void SettleTimer::expire()
{
    const qint64 quiet = sinceLastPoke.elapsed();
    if (quiet < quietMs) {
        timer.start(int(quietMs - quiet));
        return;
    }
    emit settled();
}
