#pragma once

#include "tab.h"

class GpioTab;

// The PWM tab: one row per pin that the pin tab makes a PWM output, with index and frequency.
// Rows come from the pin tab or from a file, never one by one.
class PwmTab final : public ListTab
{
public:
    PwmTab(QObject *receiver, const Widgets &widgets, const GpioTab &pins);

    // Records whose pin has no name are passed over.
    void fill(const QByteArray &block) override;
    // Rows go out by pin.
    QByteArray serialize() const override;
    void derive() override;

private:
    const GpioTab &pins;
};
