#pragma once

#include "tab.h"

class GpioTab;

// The on-chip ADC tab: one row per pin that the pin tab makes an analogue input, with index, gain
// and offset. Rows come from the pin tab or from a file, never one by one.
class AdcTiTab final : public ListTab
{
public:
    AdcTiTab(QObject *receiver, const Widgets &widgets, const GpioTab &pins);

    // Records whose pin has no name are passed over.
    void fill(const QByteArray &block) override;
    // Rows go out by pin.
    QByteArray serialize() const override;
    void derive() override;

private:
    const GpioTab &pins;
    const AdcInputColumns columns;
};
