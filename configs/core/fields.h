#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

namespace Configuration {

// A field of a record by the name of its block table's column, in lower camel case.
struct Field
{
    QString name;
    QVariant value;
};
using Record = QVector<Field>;

} // namespace Configuration
