#include "syncstate.h"

#include "fstexts.h"
#include "options.h"
#include "wholefile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace fsclient::syncstate {

namespace {

const QString kFormat = QStringLiteral("velmora-fs sync state");
constexpr int kVersion = 1;
constexpr int kDigestSize = 32;
// The largest whole number a JSON number (a double) holds exactly.
constexpr qint64 kExactLimit = qint64(1) << 53;

// A whole number within [Low, kExactLimit], as the writer writes every number here.
bool wholeNumber(const QJsonValue &value, qint64 low, qint64 *number)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (d < double(low) || d > double(kExactLimit) || d != std::floor(d))
        return false;
    *number = qint64(d);
    return true;
}

QJsonObject recordObject(const QString &name, const Record &record)
{
    const BoardEntry &b = record.board;
    const LocalFile &l = record.local;
    return {{QStringLiteral("name"), name},
            {QStringLiteral("size"), double(b.size)},
            {QStringLiteral("modified"), double(b.modified)},
            {QStringLiteral("address"), double(b.address)},
            {QStringLiteral("block"), double(b.block)},
            {QStringLiteral("local"),
             QJsonObject{{QStringLiteral("path"), l.path},
                         {QStringLiteral("size"), double(l.size)},
                         {QStringLiteral("modified"), double(l.modified)},
                         {QStringLiteral("sha256"), QString::fromLatin1(l.sha256.toHex())}}}};
}

bool readRecord(const QJsonValue &value, Record *record)
{
    const QJsonObject o = value.toObject();
    const QJsonObject local = o.value(QStringLiteral("local")).toObject();
    BoardEntry &b = record->board;
    LocalFile &l = record->local;
    b.name = o.value(QStringLiteral("name")).toString();
    l.path = local.value(QStringLiteral("path")).toString();
    const QString digest = local.value(QStringLiteral("sha256")).toString();
    l.sha256 = QByteArray::fromHex(digest.toLatin1());
    return value.isObject() && !b.name.isEmpty() && QDir::isAbsolutePath(l.path) &&
           digest.size() == 2 * kDigestSize && l.sha256.size() == kDigestSize &&
           l.sha256.toHex() == digest.toLatin1() &&
           wholeNumber(o.value(QStringLiteral("size")), 0, &b.size) &&
           wholeNumber(o.value(QStringLiteral("modified")), 0, &b.modified) &&
           wholeNumber(o.value(QStringLiteral("address")), 0, &b.address) &&
           wholeNumber(o.value(QStringLiteral("block")), 0, &b.block) &&
           wholeNumber(local.value(QStringLiteral("size")), 0, &l.size) &&
           wholeNumber(local.value(QStringLiteral("modified")), -kExactLimit, &l.modified);
}

} // namespace

// Read in pieces: a run on many boards compares every file once per board, and a buffer of the
// whole file each time costs more than the comparing.
bool sameBytes(const QString &path, const QByteArray &stored, QByteArray *sha256)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::array<char, 65536> piece;
    qint64 at = 0;
    for (;;) {
        const qint64 got = file.read(piece.data(), qint64(piece.size()));
        if (got < 0 || at + got > stored.size())
            return false;
        if (got == 0)
            break;
        if (std::memcmp(piece.data(), stored.constData() + at, size_t(got)) != 0)
            return false;
        if (sha256)
            hash.addData(piece.data(), int(got));
        at += got;
    }
    const bool same = stored.size() - at < 4 &&
                      std::all_of(stored.constBegin() + at, stored.constEnd(), [](char c) { return c == 0; });
    if (same && sha256)
        *sha256 = hash.result();
    return same;
}

bool BoardEntry::operator==(const BoardEntry &other) const
{
    return name == other.name && size == other.size && modified == other.modified &&
           address == other.address && block == other.block;
}

BoardEntry entryOf(const FileTable::Row &row)
{
    return {row.name, row.size, row.modified.toSecsSinceEpoch(), row.address, row.block};
}

LocalFile localFile(const QString &path)
{
    const QFileInfo info(path);
    LocalFile file;
    file.path = info.absoluteFilePath();
    if (info.isFile()) {
        file.size = info.size();
        file.modified = info.lastModified().toMSecsSinceEpoch();
    }
    return file;
}

QByteArray sha256Of(const LocalFile &file)
{
    static QHash<QString, QByteArray> known;
    const QString key = QStringLiteral("%1\n%2\n%3").arg(file.path).arg(file.size).arg(file.modified);
    const auto found = known.constFind(key);
    if (found != known.constEnd())
        return found.value();
    QFile in(file.path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!in.open(QIODevice::ReadOnly) || !hash.addData(&in))
        return QByteArray();
    return known[key] = hash.result();
}

State stateAfter(const QString &board, const QList<FileTable::Row> &rows,
                 const QHash<QString, LocalFile> &files)
{
    State state{board, {}};
    for (const FileTable::Row &row : rows) {
        const auto found = files.constFind(row.name);
        if (found == files.constEnd())
            continue;
        LocalFile now = localFile(found->path);
        if (now.size != found->size || now.modified != found->modified)
            continue;
        now.sha256 = found->sha256.isEmpty() ? sha256Of(now) : found->sha256;
        if (!now.sha256.isEmpty())
            state.files.insert(row.name, {entryOf(row), now});
    }
    return state;
}

QByteArray encode(const State &state)
{
    QJsonArray files;
    QStringList names = state.files.keys();
    names.sort();
    for (const QString &name : qAsConst(names))
        files.append(recordObject(name, state.files.value(name)));
    const QJsonObject document{{QStringLiteral("format"), kFormat},
                               {QStringLiteral("version"), kVersion},
                               {QStringLiteral("board"), state.board},
                               {QStringLiteral("files"), files}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

bool decode(const QByteArray &bytes, const QString &board, State *state, QString *why)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject o = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        *why = Texts::tr("не JSON");
        return false;
    }
    if (o.value(QStringLiteral("format")).toString() != kFormat ||
        o.value(QStringLiteral("version")) != QJsonValue(kVersion)) {
        *why = Texts::tr("чужой формат или версия");
        return false;
    }
    if (o.value(QStringLiteral("board")).toString() != board) {
        *why = Texts::tr("записан для другой платы");
        return false;
    }
    const QJsonValue files = o.value(QStringLiteral("files"));
    State read{board, {}};
    bool valid = files.isArray();
    const QJsonArray records = files.toArray();
    for (auto it = records.begin(); valid && it != records.end(); ++it) {
        Record record;
        valid = readRecord(*it, &record) && !read.files.contains(record.board.name);
        read.files.insert(record.board.name, record);
    }
    if (!valid) {
        *why = Texts::tr("неверная запись файла");
        return false;
    }
    *state = read;
    return true;
}

Verdict judge(const Record *record, const BoardEntry &listed, const LocalFile &now,
              const std::function<QByteArray()> &digest)
{
    if (!record || record->board != listed || record->local.path != now.path || now.size < 0)
        return Verdict::Compare;
    if (now.size == record->local.size && now.modified == record->local.modified)
        return Verdict::Equal;
    const QByteArray sha256 = digest();
    if (sha256.isEmpty())
        return Verdict::Compare;
    return sha256 == record->local.sha256 ? Verdict::Equal : Verdict::Changed;
}

QString pathFor(const QString &board)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return QString();
    return cache + QStringLiteral("/velmora/") + boardFileStem(board) + QStringLiteral(".json");
}

bool load(const QString &path, const QString &board, State *state, QString *why)
{
    *state = State{board, {}};
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return false;
    }
    return decode(file.readAll(), board, state, why);
}

QString save(const QString &path, const State &state)
{
    const QByteArray bytes = encode(state);
    // A record that says what the file says already is not written again: a write is made safe
    // on the disk before it counts, which costs far more than reading.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() == bytes.size() && file.readAll() == bytes)
        return QString();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Texts::tr("не удалось создать папку");
    return writeWholeFile(path, bytes);
}

} // namespace fsclient::syncstate
