#include "fsfleet.h"

#include "boardrun.h"
#include "clikit.h"
#include "fscommands.h"
#include "fsrunner.h"
#include "fstexts.h"

#include <QDir>
#include <QJsonDocument>
#include <QTimer>

namespace fsclient {

FsFleet::FsFleet(const ClientOptions &options, clikit::Sink &out, clikit::Sink &err, QObject *parent)
    : QObject(parent), options(options), out(out), err(err)
{
    for (const BoardAddress &address : options.boards) {
        const QString prefix = address.text() + QStringLiteral(": ");
        boards.push_back(std::make_unique<Board>(address, out.prefixed(prefix), err.prefixed(prefix)));
    }
}

FsFleet::~FsFleet()
{
    // Before the sinks they write to go with the boards.
    for (const auto &board : boards)
        delete board->run;
}

void FsFleet::start()
{
    // Checked once here; each board then gets a folder of its own inside it.
    const QString refusal = outputFolderRefusal(options);
    if (!refusal.isEmpty()) {
        err.writeLines(refusal);
        QTimer::singleShot(0, this, [this] { emit finished(clikit::kUsage); });
        return;
    }
    // Queued, so that a board refused before connecting does not start the next one inside this
    // call, and finished() never comes before this returns.
    QTimer::singleShot(0, this, [this] {
        while (running < options.jobs && nextBoard < boards.size())
            startNext();
    });
}

void FsFleet::startNext()
{
    Board &board = *boards.at(nextBoard++);
    ClientOptions own = options;
    own.boards.clear();
    own.oneOfMany = true;
    own.hostGiven = true;
    own.host = board.address.host;
    own.portGiven = true;
    own.port = board.address.port;
    if (commandRow(options.command).takes.testFlag(CommandOption::Output)) {
        const QString base = options.outputFolder.isEmpty() ? QDir::currentPath() : options.outputFolder;
        own.outputFolder = QDir(base).filePath(boardFileStem(board.address.text()));
    }
    ++running;
    board.run = new BoardRun(own, board.out, board.err, this);
    connect(
        board.run, &BoardRun::finished, this, [this, &board](int code) { boardFinished(board, code); },
        Qt::QueuedConnection);
    board.run->start();
}

void FsFleet::boardFinished(Board &board, int exitCode)
{
    board.exitCode = exitCode;
    if (board.run) {
        board.document = board.run->document();
        // Its link goes with it, so that the connection does not count against the others.
        board.run->deleteLater();
        board.run = nullptr;
    }
    --running;
    if (nextBoard < boards.size()) {
        startNext();
        return;
    }
    if (running == 0)
        finish();
}

void FsFleet::finish()
{
    int worst = clikit::kSuccess;
    QStringList succeeded;
    QStringList failed;
    QStringList unreachable;
    QJsonObject document;
    for (const auto &board : boards) {
        const QString address = board->address.text();
        worst = clikit::worstStatus(worst, board->exitCode);
        (board->exitCode == clikit::kSuccess       ? succeeded
         : board->exitCode == clikit::kUnreachable ? unreachable
                                                   : failed)
            << address;
        QJsonObject member = board->document;
        member.insert(QStringLiteral("exit"), board->exitCode);
        document.insert(address, member);
    }
    if (options.json)
        out.write(QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented)));
    // Each count names its boards, but for the ones that succeeded.
    const auto named = [](const QStringList &addresses) {
        return addresses.isEmpty() ? QStringLiteral("0")
                                   : QStringLiteral("%1 (%2)")
                                         .arg(addresses.size())
                                         .arg(addresses.join(QStringLiteral(", ")));
    };
    const QString summary = Texts::tr("плат: %1; успешно: %2; с ошибками: %3; недоступны: %4")
                                .arg(boards.size())
                                .arg(succeeded.size())
                                .arg(named(failed), named(unreachable));
    err.writeLines(summary);
    emit finished(worst);
}

} // namespace fsclient
