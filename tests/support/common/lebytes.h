#pragma once

#include <QByteArray>
#include <QtEndian>

// Writes a little-endian field into a byte array that already holds the offset's bytes.
// Goes through a small buffer: writing through QByteArray::data() trips a false
// stringop-overflow warning in optimised gcc builds.
template <typename T> void putLE(QByteArray &bytes, int offset, T value)
{
    Q_ASSERT(offset >= 0 && offset + int(sizeof(T)) <= bytes.size());
    uchar buffer[sizeof(T)];
    qToLittleEndian<T>(value, buffer);
    bytes.replace(offset, int(sizeof(T)), reinterpret_cast<const char *>(buffer), int(sizeof(T)));
}
