// The chart window's recovery copy: a change counter and a timer decide when
// the document with unsaved changes is copied to the recovery folder.

#include "chartwin/uRChartWnd.h"

#include "chartwin/uRChartWndServices.h"
#include "common/Utils.h"
#include "shell/uRecovery.h"

#include <QFile>
#include <QTimer>

#include <functional>

namespace rs {

namespace {

std::string gRecoveryFolder;

// Often enough for the interval, rarely enough to cost nothing.
constexpr int kRecoveryTick = 1000;

QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

std::size_t Digest(TRChart& doc) { return std::hash<std::string>{}(doc.SaveToBuffer()); }

} // namespace

void SetChartRecoveryFolder(const std::string& folder) { gRecoveryFolder = folder; }

const std::string& ChartRecoveryFolder() { return gRecoveryFolder; }

TRChartFrm* FindRecoveryOwner(const std::string& copyFile)
{
    for (TRChartFrm* w : ChartWindows())
        if (!copyFile.empty() && w->RecoveryFile() == copyFile)
            return w;
    return nullptr;
}

void TRChartFrm::StartRecovery()
{
    FRecoveryTimer = new QTimer(this);
    FRecoveryTimer->setInterval(kRecoveryTick);
    connect(FRecoveryTimer, &QTimer::timeout, this, [this] {
        RecoveryCheck();
        // Told from the timer, never in the middle of a command; once per window.
        if (!FRecoveryError.isEmpty() && !FRecoveryWarned) {
            FRecoveryWarned = true;
            const std::string& name = FDoc->Info.FileName;
            wnd::ShowWarning(QStringLiteral("Não foi possível gravar a cópia de recuperação do pluviograma %1: %2")
                                 .arg(name.empty() ? QStringLiteral("novo") : PathText(ExtractFileName(name)),
                                      FRecoveryError));
        }
    });
    FRecoveryTimer->start();
}

void TRChartFrm::AdoptRecoveryFile(const std::string& copyFile)
{
    FRecoveryFile = copyFile;
    FRecoverySeen = Digest(*FDoc);
    FRecoveryChanges = 0;
    FRecoveryPendingSince = -1;
}

void TRChartFrm::RecoveryCheck()
{
    if (!FDoc || FRecoveryWriting || gRecoveryFolder.empty())
        return;
    if (FDoc->IsModified()) {
        // Every command and every idle moment passes here: what counts is the
        // document's contents, not how many events told of them.
        const std::size_t digest = Digest(*FDoc);
        if (digest != FRecoverySeen) {
            FRecoverySeen = digest;
            ++FRecoveryChanges;
            if (FRecoveryPendingSince < 0)
                FRecoveryPendingSince = wnd::TickCount();
        }
    }
    if (FRecoveryPendingSince < 0)
        return;
    if (FRecoveryChanges >= kRecoveryChanges || wnd::TickCount() - FRecoveryPendingSince >= kRecoveryInterval)
        WriteRecovery();
}

void TRChartFrm::WriteRecovery()
{
    const TRecoveryStore store(gRecoveryFolder);
    if (FRecoveryFile.empty())
        FRecoveryFile = store.NewCopyName(FDoc->Info.FileName);
    FRecoveryWriting = true;
    try {
        store.Write(FRecoveryFile, *FDoc);
        FRecoveryError.clear();
        FRecoveryPendingSince = -1;
    } catch (const std::exception& e) {
        // Tried again after the next interval or the next changes.
        FRecoveryError = QString::fromUtf8(e.what());
        FRecoveryPendingSince = wnd::TickCount();
    }
    FRecoveryChanges = 0;
    FRecoveryWriting = false;
}

void TRChartFrm::DropRecovery()
{
    FRecoveryChanges = 0;
    FRecoveryPendingSince = -1;
    FRecoveryError.clear();
    if (FRecoveryFile.empty())
        return;
    TRecoveryStore(ExtractFilePath(FRecoveryFile)).Remove(FRecoveryFile);
    FRecoveryFile.clear();
}

} // namespace rs
