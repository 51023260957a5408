#include "boardrun.h"

#include "clikit.h"
#include "fsclient.h"
#include "fscommands.h"
#include "fstexts.h"

#include <QTimer>
#include <cmath>

namespace fsclient {

BoardRun::BoardRun(const ClientOptions &options, clikit::Sink &out, clikit::Sink &err, QObject *parent)
    : QObject(parent), options(options), out(out), err(err), heldStream(&held, QIODevice::WriteOnly),
      heldOut(heldStream)
{}

BoardRun::~BoardRun()
{
    // Before the sinks it writes to.
    delete client;
}

void BoardRun::start()
{
    // Queued, as a try may end inside FsClient::start().
    QTimer::singleShot(0, this, &BoardRun::startTry);
}

void BoardRun::startTry()
{
    ++tryNumber;
    held.clear();
    client = new FsClient(options, options.retries > 0 ? heldOut : out, err, this);
    connect(client, &FsClient::finished, this, &BoardRun::tryFinished, Qt::QueuedConnection);
    client->start();
}

void BoardRun::tryFinished(int exitCode)
{
    const bool again = retry(exitCode);
    json = client->document();
    // Its link goes with it, so that a connection left open does not meet the next try's.
    client->deleteLater();
    client = nullptr;
    if (again) {
        QTimer::singleShot(qRound64(delaySeconds() * 1000), this, &BoardRun::startTry);
        return;
    }
    if (!held.isEmpty())
        out.write(held);
    emit finished(exitCode);
}

double BoardRun::delaySeconds() const
{
    return qMin(options.retryDelay * std::pow(2.0, tryNumber - 1), kMaxRetryDelay);
}

bool BoardRun::retry(int exitCode)
{
    if (exitCode != clikit::kUnreachable || options.retries == 0)
        return false;
    const QString failed =
        Texts::tr("попытка %1 из %2: %3")
            .arg(tryNumber)
            .arg(options.retries + 1)
            .arg(client->reachedBoard() ? Texts::tr("соединение потеряно") : Texts::tr("плата недоступна"));
    if (tryNumber > options.retries) {
        err.writeLines(Texts::tr("%1; попыток больше нет").arg(failed));
        return false;
    }
    if (!commandRow(options.command).startsOver && client->mayHaveChangedBoard()) {
        err.writeLines(Texts::tr("%1; не повторяется: файлы платы, возможно, уже изменены").arg(failed));
        return false;
    }
    err.writeLines(Texts::tr("%1; следующая через %2 с").arg(failed).arg(delaySeconds()));
    options.earlierTryChanged = options.earlierTryChanged || client->mayHaveChangedBoard();
    return true;
}

} // namespace fsclient
