// The window's side of its recovery file: what is unsaved work, when it is written, what becomes of
// it when the window closes, and the question about the work a window of an ended program left.
#include "configscreator.h"
#include "editwatcher.h"
#include "modalseam.h"
#include "recoverystore.h"
#include "tab.h"

#include <QApplication>
#include <QDir>

namespace {
// A burst of edits makes one write, this long after its last edit.
constexpr int kRecoveryQuietMs = 2000;
} // namespace

void ConfigsCreator::startRecovery()
{
    if (recovery)
        return;
    auto store = std::make_unique<RecoveryStore>(RecoveryStore::defaultFolder());
    // Without a data location to write to, the window works as it would without recovery.
    if (!store->open())
        return;
    recovery = std::move(store);
    recovery->setBaseline(blocks());
    recoverySettle = new SettleTimer(kRecoveryQuietMs, this);
    connect(edits, &EditWatcher::edited, recoverySettle, &SettleTimer::poke);
    connect(recoverySettle, &SettleTimer::settled, this, [this] { keepUnsavedWork(); });
    // The program can end with the window open, without closing it first.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { endRecovery(); });
    offerOrphanedWork();
}

void ConfigsCreator::markStored(const QVector<Blocks::Section> &sections)
{
    if (!recovery || sections.isEmpty())
        return;
    for (const Blocks::Section section : sections)
        recovery->setBaseline(section, tab(section).serialize());
    keepUnsavedWork();
}

bool ConfigsCreator::keepUnsavedWork()
{
    if (!recovery)
        return false;
    recoverySettle->cancel();
    const RecoveryStore::Kept kept = recovery->keep(blocks(), modelId);
    return kept == RecoveryStore::Kept::Nothing || kept == RecoveryStore::Kept::Written;
}

void ConfigsCreator::offerOrphanedWork()
{
    const std::unique_ptr<OrphanedWork> orphan = recovery->takeNewestOrphan();
    if (!orphan)
        return;
    QString reason;
    const std::optional<OrphanedWork::Contents> work = orphan->read(&reason);
    if (!work) {
        // It would be offered at every opening and never load.
        orphan->remove();
        ModalSeam::warning(this, tr("Внимание!"),
                           tr("Не удалось прочитать файл восстановления %1: %2. Файл удалён.")
                               .arg(QDir::toNativeSeparators(orphan->path()), reason));
        return;
    }
    const QString time = orphan->lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (ModalSeam::question(this, tr("?"), tr("Восстановить несохранённую конфигурацию от %1?").arg(time),
                            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        orphan->remove();
        return;
    }
    loadModelIdFile(work->name, work->bytes);
    // Restored work is unsaved work of this window; the other file goes only once this window's
    // own holds it, and stays for a later opening when it cannot be written.
    if (keepUnsavedWork())
        orphan->remove();
}

void ConfigsCreator::endRecovery()
{
    if (!recovery)
        return;
    // Closing without saving is the user's choice; a logout is not, and its work waits for the
    // next start.
    bool sessionEnding = false;
#if QT_CONFIG(sessionmanager)
    sessionEnding = qApp->isSavingSession();
#endif
    if (sessionEnding)
        keepUnsavedWork();
    recovery->close(sessionEnding);
    recovery.reset();
    delete recoverySettle;
    recoverySettle = nullptr;
}
