#pragma once

#include "datablocks.h"

#include <QString>
#include <QVector>
#include <QtGlobal>
#include <array>
#include <optional>

// One pin as the pin tab lists it: its number, its name, the code its row keeps and its index
// text (the row's texts are the data, so the index stays text until a writer reads it).
struct PinSetting
{
    quint32 pin = 0;
    int code = 0;
    QString name;
    QString indexText;
};

bool operator==(const PinSetting &a, const PinSetting &b);

// Which pins and register rows the derived tabs are built from. Pure rules on decoded values, so
// that a tool can check a file against them without a window; the window turns the results into
// rows.
namespace Derivations {

constexpr int kAnalogInputCode = 7; // an on-chip ADC input
constexpr int kPwmOutputCode = 8;   // a PWM output

// The pins of a pin block in the order the pin tab lists them (connector pages in
// Pins::kConnectorOrder; on each page the left column top to bottom, then the right), with the
// codes the tab would keep: 240 for every pin that cannot be used, 0 for a code no pin offers.
QVector<PinSetting> scanGpioBlock(const GpioBlock &block);

// The pins that make a row of the on-chip ADC tab and of the PWM tab, in scan order.
QVector<PinSetting> adcTiInputs(const QVector<PinSetting> &pins);
QVector<PinSetting> pwmOutputs(const QVector<PinSetting> &pins);

enum class LinkKind
{
    Do,
    Di,
    Ai,
    Ao
};

// Whether a pin with this code makes a link of the kind.
bool pinMakesLink(LinkKind kind, int code);
// Whether a row of the kind's register chain (SPI DO for DO links, SPI DI for DI links, the
// external ADCs for AI links) makes a link. An external ADC row carries no code and always makes
// an AI link; AO links come from pins alone.
bool registerMakesLink(LinkKind kind, int code);
// How many link rows a derivation makes: one per pin that makes a link, then one per register
// row that does. registerCodes holds one entry per register row (any value for ADC rows).
int linkCount(LinkKind kind, const QVector<PinSetting> &pins, const QVector<int> &registerCodes);

// A link section, the kind of its links and the register section whose rows make links beside
// the pins (none: AO links come from pins alone).
struct LinkSource
{
    Blocks::Section links;
    LinkKind kind;
    std::optional<Blocks::Section> registers;
};

// The four link sections in section order.
const std::array<LinkSource, 4> &linkSources();

} // namespace Derivations
