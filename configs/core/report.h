#pragma once

#include "configview.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <optional>

// A configuration for people and printers: one self-contained HTML page with the headers drawn pin by
// pin, every tab's rows and the checker's findings; and the pins as CSV for a spreadsheet. The builder
// window and vmc report make it alike.
namespace Report {

struct SourceFile
{
    QString name;
    qint64 size = 0;
    QString sha256; // lower-case hex
};

// What the report says about where it comes from.
struct Meta
{
    QString tool; // name and version, e.g. "vmc 2.0.7"
    QDateTime generated;
    std::optional<quint8> modelId; // shown when known (a model-id file, or the builder's window)
    QVector<SourceFile> sources;   // empty: a builder window's current state, no file
};

// The whole HTML document, UTF-8: inline CSS and SVG, no scripts, nothing fetched. Each of the 96 pins
// is one element of class "pin" with id "pin-N", data-pin and data-group (do, di, spi, adc, pwm,
// common, reset, free, unavailable; unknown without a readable pin block); the findings are elements of
// class "finding" with data-severity "error" or "warning" inside the element of id "findings".
QByteArray html(const Configuration::ConfigFile &config, const Meta &meta);

// One line per pin after a header line, comma-separated, quoted as RFC 4180 says, CRLF line ends:
// header (X6..X9, "No X"), position (01..20, empty off the headers), pin number, port, function code
// and function as the window shows them, index, and the tabs that use the pin. Pins in header order:
// X6 to X9 by position, then the pins off the headers by number.
QByteArray csv(const Configuration::ConfigFile &config);

} // namespace Report
