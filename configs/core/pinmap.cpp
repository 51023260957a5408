#include "pinmap.h"

#include <algorithm>

bool operator<(const PinKey &left, const PinKey &right)
{
    if (left.order == Pins::kDescending)
        return left.number > right.number;
    return left.number < right.number;
}

namespace Pins {

namespace {
struct PinEntry
{
    PinGroup group;
    const char *name; // UTF-8
};

// Indexed by pin number.
const std::array<PinEntry, kPinCount> &pinTable()
{
    static const std::array<PinEntry, kPinCount> table = {{
        {PinGroup::NoX, "NOT AVAI"},        // 0
        {PinGroup::X8, "NOT AVAI (X8-01)"}, // 1
        {PinGroup::X8, "PE 4 (X8-03)"},     // 2
        {PinGroup::X8, "PC 4 (X8-05)"},     // 3
        {PinGroup::X8, "PC 5 (X8-07)"},     // 4
        {PinGroup::X8, "PC 6 (X8-09)"},     // 5
        {PinGroup::X8, "PE 5 (X8-11)"},     // 6
        {PinGroup::X8, "PD 3 (X8-13)"},     // 7
        {PinGroup::X8, "PC 7 (X8-15)"},     // 8
        {PinGroup::X8, "PB 2 (X8-17)"},     // 9
        {PinGroup::X8, "PB 3 (X8-19)"},     // 10
        {PinGroup::X9, "PP 2 (X9-20)"},     // 11
        {PinGroup::X9, "PN 3 (X9-18)"},     // 12
        {PinGroup::X9, "PN 2 (X9-16)"},     // 13
        {PinGroup::X9, "PD 0 (X9-14)"},     // 14
        {PinGroup::X9, "PD 1 (X9-12)"},     // 15
        {PinGroup::X9, "NOT AVAI (X9-10)"}, // 16
        {PinGroup::X9, "PH 3 (X9-08)"},     // 17
        {PinGroup::X9, "PH 2 (X9-06)"},     // 18
        {PinGroup::X9, "PM 3 (X9-04)"},     // 19
        {PinGroup::X9, "NOT AVAI (X9-02)"}, // 20
        {PinGroup::X8, "NOT AVAI (X8-02)"}, // 21
        {PinGroup::X8, "NOT AVAI (X8-04)"}, // 22
        {PinGroup::X8, "PE 0 (X8-06)"},     // 23
        {PinGroup::X8, "PE 1 (X8-08)"},     // 24
        {PinGroup::X8, "PE 2 (X8-10)"},     // 25
        {PinGroup::X8, "PE 3 (X8-12)"},     // 26
        {PinGroup::X8, "PD 7 (X8-14)"},     // 27
        {PinGroup::X8, "PA 6 (X8-16)"},     // 28
        {PinGroup::X8, "PM 4 (X8-18)"},     // 29
        {PinGroup::X8, "PM 5 (X8-20)"},     // 30
        {PinGroup::X9, "PL 3 (X9-19)"},     // 31
        {PinGroup::X9, "PL 2 (X9-17)"},     // 32
        {PinGroup::X9, "PL 1 (X9-15)"},     // 33
        {PinGroup::X9, "PL 0 (X9-13)"},     // 34
        {PinGroup::X9, "PL 5 (X9-11)"},     // 35
        {PinGroup::X9, "PL 4 (X9-09)"},     // 36
        {PinGroup::X9, "PG 0 (X9-07)"},     // 37
        {PinGroup::X9, "PF 3 (X9-05)"},     // 38
        {PinGroup::X9, "PF 2 (X9-03)"},     // 39
        {PinGroup::X9, "PF 1 (X9-01)"},     // 40
        {PinGroup::X6, "NOT AVAI (X6-01)"}, // 41
        {PinGroup::X6, "PD 2 (X6-03)"},     // 42
        {PinGroup::X6, "PP 0 (X6-05)"},     // 43
        {PinGroup::X6, "PP 1 (X6-07)"},     // 44
        {PinGroup::X6, "PD 4 (X6-09)"},     // 45
        {PinGroup::X6, "PD 5 (X6-11)"},     // 46
        {PinGroup::X6, "PQ 0 (X6-13)"},     // 47
        {PinGroup::X6, "PP 4 (X6-15)"},     // 48
        {PinGroup::X6, "PN 5 (X6-17)"},     // 49
        {PinGroup::X6, "PN 4 (X6-19)"},     // 50
        {PinGroup::X7, "PM 6 (X7-20)"},     // 51
        {PinGroup::X7, "PQ 1 (X7-18)"},     // 52
        {PinGroup::X7, "PP 3 (X7-16)"},     // 53
        {PinGroup::X7, "PQ 3 (X7-14)"},     // 54
        {PinGroup::X7, "PQ 2 (X7-12)"},     // 55
        {PinGroup::X7, "NOT AVAI (X7-10)"}, // 56
        {PinGroup::X7, "PA 7 (X7-08)"},     // 57
        {PinGroup::X7, "PP 5 (X7-06)"},     // 58
        {PinGroup::X7, "PM 7 (X7-04)"},     // 59
        {PinGroup::X7, "NOT AVAI (X7-02)"}, // 60
        {PinGroup::X6, "NOT AVAI (X6-02)"}, // 61
        {PinGroup::X6, "NOT AVAI (X6-04)"}, // 62
        {PinGroup::X6, "PB 4 (X6-06)"},     // 63
        {PinGroup::X6, "PB 5 (X6-08)"},     // 64
        {PinGroup::X6, "PK 0 (X6-10)"},     // 65
        {PinGroup::X6, "PK 1 (X6-12)"},     // 66
        {PinGroup::X6, "PK 2 (X6-14)"},     // 67
        {PinGroup::X6, "PK 3 (X6-16)"},     // 68
        {PinGroup::X6, "PA 4 (X6-18)"},     // 69
        {PinGroup::X6, "PA 5 (X6-20)"},     // 70
        {PinGroup::X7, "PK 7 (X7-19)"},     // 71
        {PinGroup::X7, "PK 6 (X7-17)"},     // 72
        {PinGroup::X7, "PH 1 (X7-15)"},     // 73
        {PinGroup::X7, "PH 0 (X7-13)"},     // 74
        {PinGroup::X7, "PM 2 (X7-11)"},     // 75
        {PinGroup::X7, "PM 1 (X7-09)"},     // 76
        {PinGroup::X7, "PM 0 (X7-07)"},     // 77
        {PinGroup::X7, "PK 5 (X7-05)"},     // 78
        {PinGroup::X7, "PK 4 (X7-03)"},     // 79
        {PinGroup::X7, "PG 1 (X7-01)"},     // 80
        {PinGroup::NoX, "PN 1"},            // 81
        {PinGroup::NoX, "PN 0"},            // 82
        {PinGroup::NoX, "PF 4"},            // 83
        {PinGroup::NoX, "PF 0"},            // 84
        {PinGroup::NoX, "PJ 0"},            // 85
        {PinGroup::NoX, "PJ 1"},            // 86
        {PinGroup::NoX, "NOT AVAI"},        // 87
        {PinGroup::NoX, "PA 0"},            // 88
        {PinGroup::NoX, "PA 1"},            // 89
        {PinGroup::NoX, "PA 2"},            // 90
        {PinGroup::NoX, "PA 3"},            // 91
        {PinGroup::NoX, "NOT AVAI"},        // 92
        {PinGroup::NoX, "NOT AVAI"},        // 93
        {PinGroup::NoX, "PB 0"},            // 94
        {PinGroup::NoX, "PB 1"},            // 95
    }};
    return table;
}
} // namespace

bool isUnavailable(quint32 pin)
{
    return std::find(kUnavailablePins.begin(), kUnavailablePins.end(), pin) != kUnavailablePins.end();
}

PinGroup groupOf(quint32 pin)
{
    return pin <= kLastPin ? pinTable()[pin].group : PinGroup::NoX;
}

qint32 orderOf(PinGroup group)
{
    return (group == PinGroup::X7 || group == PinGroup::X9) ? kDescending : kAscending;
}

QString pinName(quint32 pin)
{
    if (pin > kLastPin)
        return QString();
    return QString::fromUtf8(pinTable()[pin].name);
}

PinMap buildPinMap(PinGroup group)
{
    PinMap map;
    const qint32 order = orderOf(group);
    for (quint32 pin = 0; pin <= kLastPin; ++pin) {
        if (pinTable()[pin].group == group)
            map.insert(PinKey{pin, order}, QString::fromUtf8(pinTable()[pin].name));
    }
    return map;
}

void buildPinMaps(PinMap &x6, PinMap &x7, PinMap &x8, PinMap &x9, PinMap &noX)
{
    x6 = buildPinMap(PinGroup::X6);
    x7 = buildPinMap(PinGroup::X7);
    x8 = buildPinMap(PinGroup::X8);
    x9 = buildPinMap(PinGroup::X9);
    noX = buildPinMap(PinGroup::NoX);
}

} // namespace Pins
