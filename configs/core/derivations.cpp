#include "derivations.h"

#include "functioncatalogue.h"
#include "pinmap.h"

#include <algorithm>

bool operator==(const PinSetting &a, const PinSetting &b)
{
    return a.pin == b.pin && a.code == b.code && a.name == b.name && a.indexText == b.indexText;
}

namespace Derivations {

namespace {
QVector<PinSetting> withCode(const QVector<PinSetting> &pins, int code)
{
    QVector<PinSetting> chosen;
    std::copy_if(pins.cbegin(), pins.cend(), std::back_inserter(chosen),
                 [code](const PinSetting &pin) { return pin.code == code; });
    return chosen;
}

// Outputs that drive a load make DO links; the OFF variants of the bistable outputs do not.
bool isLinkedOutput(int code)
{
    return code == 4 || code == 25 || code == 5 || code == 26;
}

bool isDiscreteInput(int code)
{
    return code == 1 || code == 2 || code == 3;
}
} // namespace

QVector<PinSetting> scanGpioBlock(const GpioBlock &block)
{
    const GpioBlock shown = Blocks::withUnavailablePinsMarked(block);
    QVector<PinSetting> pins;
    pins.reserve(Pins::kPinCount);
    for (PinGroup group : Pins::kConnectorOrder) {
        // A group's map runs in the order of its page: the left column, then the right.
        const PinMap map = Pins::buildPinMap(group);
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const quint32 pin = it.key().number;
            const Functions::Appearance look =
                Functions::appearanceOf(Functions::Context::GpioPin, shown.code[pin]);
            pins.append(PinSetting{pin, look.storedCode, it.value(), QString::number(shown.index[pin])});
        }
    }
    return pins;
}

QVector<PinSetting> adcTiInputs(const QVector<PinSetting> &pins)
{
    return withCode(pins, kAnalogInputCode);
}

QVector<PinSetting> pwmOutputs(const QVector<PinSetting> &pins)
{
    return withCode(pins, kPwmOutputCode);
}

bool pinMakesLink(LinkKind kind, int code)
{
    switch (kind) {
    case LinkKind::Do:
        return isLinkedOutput(code);
    case LinkKind::Di:
        return isDiscreteInput(code);
    case LinkKind::Ai:
        return code == kAnalogInputCode;
    case LinkKind::Ao:
        break;
    }
    return code == kPwmOutputCode;
}

bool registerMakesLink(LinkKind kind, int code)
{
    // Register outputs and inputs follow the pins' rules; external ADC rows carry no code.
    if (kind == LinkKind::Ai)
        return true;
    return kind != LinkKind::Ao && pinMakesLink(kind, code);
}

int linkCount(LinkKind kind, const QVector<PinSetting> &pins, const QVector<int> &registerCodes)
{
    const auto fromPins = std::count_if(
        pins.cbegin(), pins.cend(), [kind](const PinSetting &pin) { return pinMakesLink(kind, pin.code); });
    const auto fromRegisters = std::count_if(registerCodes.cbegin(), registerCodes.cend(),
                                             [kind](int code) { return registerMakesLink(kind, code); });
    return int(fromPins + fromRegisters);
}

const std::array<LinkSource, 4> &linkSources()
{
    using Blocks::Section;
    static const std::array<LinkSource, 4> sources = {{
        {Section::DoLinks, LinkKind::Do, Section::RegDo},
        {Section::DiLinks, LinkKind::Di, Section::RegDi},
        {Section::AiLinks, LinkKind::Ai, Section::RegAdc},
        {Section::AoLinks, LinkKind::Ao, std::nullopt},
    }};
    return sources;
}

} // namespace Derivations
