#include "vmccheck.h"

#include "vmctexts.h"

namespace Vmc {

QString findingLine(const QString &file, const Finding &finding)
{
    return QStringLiteral("%1: %2: %3: %4")
        .arg(file, Checks::placeText(finding.place),
             finding.severity == Severity::Error ? Texts::tr("ошибка") : Texts::tr("предупреждение"),
             finding.text);
}

} // namespace Vmc
