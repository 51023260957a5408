#pragma once

#include <QtGlobal>

// A loopback port that nothing listens on: taken from the system, then given back.
quint16 closedLoopbackPort();
