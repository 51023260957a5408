#include "fsrunner.h"

#include "clikit.h"
#include "fsclient.h"

namespace fsclient {

Runner::~Runner() = default;

bool Runner::prepare()
{
    return true;
}

void Runner::itemDone(int index, const QString &, const QByteArray &)
{
    client.items()[index].outcome = Outcome::Done;
}

void Runner::batchEnded(bool)
{
    client.endRun(clikit::kSuccess);
}

void Runner::connectionLost() {}

bool Runner::refuseAny(QStringList refusals, const QString &closing)
{
    if (refusals.isEmpty())
        return true;
    refusals << closing;
    client.fail(refusals.join(QLatin1Char('\n')), clikit::kFailure);
    return false;
}

int Runner::finish(int exitCode)
{
    return client.reportOutcomes(exitCode);
}

} // namespace fsclient
