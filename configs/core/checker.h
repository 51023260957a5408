#pragma once

#include "configview.h"

#include <QString>
#include <QVector>

// What a configuration holds that the window would read differently, lose or change, and what
// looks incomplete: one set of rules for the tools and for the window's own check.
namespace Checks {

enum class Severity
{
    // The window would read the file differently from what it holds, lose or change data, or the
    // file is damaged.
    Error,
    // A sound file whose configuration looks incomplete.
    Warning
};

// What a finding names: the file, its header or one of its entries, a section's block, one record
// of it, a pin, or a register chain.
struct Place
{
    enum class Kind
    {
        File,
        Header,
        HeaderEntry,
        Block,
        Record,
        Pin,
        Chain
    };

    Kind kind = Kind::File;
    // Block, Record and Chain (the chain's register section); Gpio for a pin.
    Blocks::Section section = Blocks::Section::Gpio;
    // Record: the record, from 0; Pin: the pin's number; HeaderEntry: the entry, from 0.
    int index = 0;

    static Place file() { return {Kind::File, Blocks::Section::Gpio, 0}; }
    static Place header() { return {Kind::Header, Blocks::Section::Gpio, 0}; }
    static Place headerEntry(int entry) { return {Kind::HeaderEntry, Blocks::Section::Gpio, entry}; }
    static Place block(Blocks::Section section) { return {Kind::Block, section, 0}; }
    static Place record(Blocks::Section section, int record) { return {Kind::Record, section, record}; }
    static Place pin(quint32 pin) { return {Kind::Pin, Blocks::Section::Gpio, int(pin)}; }
    static Place chain(Blocks::Section registers) { return {Kind::Chain, registers, 0}; }
};

bool operator==(const Place &a, const Place &b);

// The place in words: "файл", "заголовок, запись 3", "RegDo", "DoLinks, запись 3",
// "Gpio, X6-05 PP 0", "цепочка SPI DO".
QString placeText(const Place &place);

struct Finding
{
    Severity severity = Severity::Error;
    Place place;
    QString text;
};

// Every finding of a configuration: sizes the window ignores, bytes it does not read, header
// entries it skips, codes a context does not offer, SPI chains without their lines, derived tabs
// that disagree with the pins and registers they come from.
QVector<Finding> check(const Configuration::ConfigFile &config);

// The findings that say the file is damaged: sizes, partial records, records after an end mark,
// header entries, sections past the end, bytes after the last section. Its blocks are then not
// the configuration it was written with.
QVector<Finding> damage(const Configuration::ConfigFile &config);

} // namespace Checks
