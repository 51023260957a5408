#pragma once

#include "modelidfile.h"

#include <QByteArray>

// Configurations made from the core's own rules, without a window: for tests and the browser check
// of the report.
namespace ConfigSamples {

// The largest configuration the window makes: every usable pin an on-chip ADC input, a PWM output,
// a DO or a DI in turn, 99 registers on each register tab whose rows all make links, and the TI
// ADC, PWM and link tabs as the window derives them.
ModelIdFile::SectionBlocks largest();

// A model-id file of that configuration, damaged: a section that reaches past the end of the file
// and bytes after the last section.
QByteArray damagedModelIdFile();

} // namespace ConfigSamples
