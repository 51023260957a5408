#pragma once

#include <QString>
#include <QTemporaryDir>

// Moves the process into a fresh temporary directory for the lifetime of the object, so the
// link's settings file ("pcbSettings.ini" in the current directory) never touches a real one.
class TempCwd
{
public:
    TempCwd();
    ~TempCwd();
    TempCwd(const TempCwd &) = delete;
    TempCwd &operator=(const TempCwd &) = delete;

    bool isValid() const { return dir.isValid(); }
    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }

private:
    QString previous;
    QTemporaryDir dir;
};
