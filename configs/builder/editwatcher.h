#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QTreeWidget;

// Tells when the configuration a builder window holds may have changed. The rows' texts are the
// data, so a changed text, rows added or removed, or a tree emptied is an edit; fonts, icons and
// tooltips are not.
class EditWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit EditWatcher(QObject *parent);

    void watch(QTreeWidget *tree);

public slots:
    // An edit the trees do not show, such as the model id.
    void note();

signals:
    void edited();
};

// Runs its work once the edits have stopped for a while: every edit moves the moment on, and a
// fill of thousands of rows costs a clock reading per row, not a timer restart.
class SettleTimer final : public QObject
{
    Q_OBJECT

public:
    SettleTimer(int quietMs, QObject *parent);

    bool isPending() const { return timer.isActive(); }

public slots:
    void poke();
    // Gives up a pending run: what it would do was just done.
    void cancel();

signals:
    void settled();

private:
    void expire();

    const int quietMs;
    QTimer timer;
    QElapsedTimer sinceLastPoke;
};
