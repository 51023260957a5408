#include "pcbaddress.h"

#include <QList>
#include <QStringView>

namespace PcbAddress {

bool fromText(const QString &text, QHostAddress *address)
{
    const QList<QStringView> octets = QStringView(text).split(QLatin1Char('.'));
    if (octets.size() != 4)
        return false;
    quint32 ip4 = 0;
    for (const QStringView octet : octets) {
        if (octet.isEmpty() || octet.size() > 3)
            return false;
        uint value = 0;
        for (const QChar c : octet) {
            // Only ASCII digits: QChar::isDigit() would also take other scripts' digits.
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
            value = value * 10 + (c.unicode() - '0');
        }
        if (value > 255)
            return false;
        ip4 = (ip4 << 8) | value;
    }
    *address = QHostAddress(ip4);
    return true;
}

} // namespace PcbAddress
