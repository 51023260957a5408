#include "vmccheck.h"

#include <QCoreApplication>

namespace Vmc {

namespace {
// The texts of this file, translated in the Vmc context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Vmc)
};
} // namespace

QString findingLine(const QString &file, const Finding &finding)
{
    return QStringLiteral("%1: %2: %3: %4")
        .arg(file, Checks::placeText(finding.place),
             finding.severity == Severity::Error ? Texts::tr("ошибка") : Texts::tr("предупреждение"),
             finding.text);
}

} // namespace Vmc
