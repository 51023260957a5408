#pragma once

#include <QMap>
#include <QString>
#include <QtGlobal>
#include <array>

// A key of a connector group's map. The order field of the left operand decides the
// comparison, so one map type serves groups that run up and groups that run down.
struct PinKey
{
    quint32 number = 0;
    qint32 order = 0; // 0: ascending by number, 2: descending
};

bool operator<(const PinKey &left, const PinKey &right);

using PinMap = QMap<PinKey, QString>;

enum class PinGroup
{
    X6,
    X7,
    X8,
    X9,
    NoX
};

namespace Pins {

constexpr std::size_t kGroupCount = 5;
constexpr int kPinCount = 96;
constexpr quint32 kLastPin = kPinCount - 1;
constexpr qint32 kAscending = 0;
constexpr qint32 kDescending = 2;
// The first ten pins of a group's map form the left column of its connector, the rest the right.
constexpr int kLeftColumnRows = 10;

// Pins that cannot be used, in the order the pin block overlay applies them.
constexpr std::array<quint32, 14> kUnavailablePins = {0, 1, 16, 20, 21, 22, 41, 56, 60, 61, 62, 87, 92, 93};

bool isUnavailable(quint32 pin);

// The connector pages in the order the pin tab shows them, which is also the order in which
// every derivation visits the pins.
constexpr std::array<PinGroup, kGroupCount> kConnectorOrder = {PinGroup::X6, PinGroup::X7, PinGroup::X8,
                                                               PinGroup::X9, PinGroup::NoX};

// The group of a pin number 0 to 95.
PinGroup groupOf(quint32 pin);
qint32 orderOf(PinGroup group);

// The name of exactly this pin, or empty text when no group holds the number.
QString pinName(quint32 pin);

PinMap buildPinMap(PinGroup group);
// Clears the five maps and inserts every pin into its group's map.
void buildPinMaps(PinMap &x6, PinMap &x7, PinMap &x8, PinMap &x9, PinMap &noX);

} // namespace Pins

// A map for each connector group, at the group's place.
using PinMaps = std::array<PinMap, Pins::kGroupCount>;
