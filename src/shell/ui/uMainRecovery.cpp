// The main window's part of crash recovery: the chart windows' copies are
// turned on at start-up, and the copies a run that ended unexpectedly left
// behind are offered for reopening.

#include "shell/ui/uMain.h"

#include "chartwin/uRChartWndServices.h"
#include "common/uAppFiles.h"
#include "shell/uRecovery.h"

#include <QFile>
#include <QTimer>

#include <memory>
#include <utility>

namespace rs {

namespace {

// Past the splash window's longest showing.
constexpr int kSplashWait = 5000;

QString Native(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

QString OfferText(int n)
{
    if (n == 1)
        return QStringLiteral("Foi encontrado 1 pluviograma não salvo de uma sessão anterior que terminou de forma "
                              "inesperada. Deseja reabri-lo?");
    return QStringLiteral("Foram encontrados %1 pluviogramas não salvos de uma sessão anterior que terminou de forma "
                          "inesperada. Deseja reabri-los?")
        .arg(n);
}

QString DiscardText(int n)
{
    const QString again = QStringLiteral(" Respondendo Não, eles serão oferecidos novamente na próxima vez que o "
                                         "programa for iniciado.");
    if (n == 1)
        return QStringLiteral("O pluviograma não salvo será descartado e suas alterações serão perdidas. Deseja "
                              "descartá-lo mesmo assim? Respondendo Não, ele será oferecido novamente na próxima vez "
                              "que o programa for iniciado.");
    return QStringLiteral("Os %1 pluviogramas não salvos serão descartados e suas alterações serão perdidas. Deseja "
                          "descartá-los mesmo assim?")
               .arg(n) +
           again;
}

// A copy that cannot be read back is never deleted: it goes aside, and the operator is told where.
void SetAside(const TRecoveryStore& store, const TRecoveryEntry& entry)
{
    const std::string aside = store.MoveAside(entry);
    const QString head = QStringLiteral("A cópia de recuperação \"%1\" está danificada e não pôde ser lida.")
                             .arg(Native(entry.CopyFile));
    wnd::ShowWarning(aside.empty() ? head + QStringLiteral(" Ela foi mantida onde está.")
                                   : head + QStringLiteral(" Ela foi movida para \"%1\".").arg(Native(aside)));
}

bool Readable(const TRecoveryEntry& entry)
{
    TRChart probe;
    return TRecoveryStore::Read(entry, probe);
}

} // namespace

void TMainFrm::StartRecovery()
{
    SetChartRecoveryFolder(RecoveryFolder());
    if (!FSplash) {
        OfferRecovery();
        return;
    }
    // Not over the splash window: once it has gone, or once it should have.
    auto offered = std::make_shared<bool>(false);
    auto once = [this, offered] {
        if (std::exchange(*offered, true))
            return;
        OfferRecovery();
    };
    connect(FSplash.data(), &QObject::destroyed, this, once, Qt::QueuedConnection);
    QTimer::singleShot(kSplashWait, this, once);
}

void TMainFrm::OfferRecovery()
{
    const TRecoveryStore store(RecoveryFolder());
    std::vector<TRecoveryEntry> found;
    for (TRecoveryEntry& e : store.List())
        if (!FindRecoveryOwner(e.CopyFile)) // already reopened
            found.push_back(std::move(e));
    if (found.empty())
        return;
    const int n = int(found.size());
    if (wnd::Message(OfferText(n), wnd::TMsgKind::Confirmation, wnd::TMsgButtons::YesNo) != wnd::TMsgAnswer::Yes) {
        if (wnd::Message(DiscardText(n), wnd::TMsgKind::Confirmation, wnd::TMsgButtons::YesNo) !=
            wnd::TMsgAnswer::Yes)
            return;
        for (const TRecoveryEntry& e : found) {
            if (Readable(e))
                store.Remove(e.CopyFile);
            else
                SetAside(store, e);
        }
        return;
    }
    for (const TRecoveryEntry& e : found) {
        // The same chart opened from its file holds only what was saved: the copy replaces it.
        if (TRChartFrm* open = e.FileName.empty() ? nullptr : FindChartWindow(e.FileName)) {
            if (open->Doc().IsModified()) {
                wnd::ShowWarning(QStringLiteral("O pluviograma %1 já está aberto com alterações. A cópia de "
                                                "recuperação \"%2\" não foi reaberta e foi mantida.")
                                     .arg(Native(e.FileName), Native(e.CopyFile)));
                continue;
            }
            delete open;
        }
        if (!OpenRecoveredChart(e))
            SetAside(store, e);
    }
}

} // namespace rs
