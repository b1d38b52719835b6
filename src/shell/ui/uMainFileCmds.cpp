// The main window's file commands: new, open, recent files, save, close,
// properties and exit.

#include "shell/ui/uMain.h"

#include "chartwin/uRChartWndServices.h"
#include "common/Utils.h"
#include "document/ui/uPropertyDlg.h"
#include "shell/uLastFiles.h"
#include "shell/uOptions.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>

namespace rs {

namespace {
QString Native(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }
std::string NativeName(const QString& s) { return QFile::encodeName(s).toStdString(); }
} // namespace

bool TMainFrm::RunPropertyDialog(TRChartInfo& info)
{
    if (!FPropertyDlg) {
        FPropertyDlg = new TPropertyDlg(this);
        FForms.push_back(FPropertyDlg);
    }
    return FPropertyDlg->EditProperties(info);
}

void TMainFrm::BringToFront(TRChartFrm* w)
{
    if (w->isMinimized())
        w->showNormal();
    FMdi->setActiveSubWindow(w);
    w->raise();
}

void TMainFrm::FileNewExecute()
{
    TRChartInfo info;
    if (!EditProperties || !EditProperties(info))
        return;
    if (Options().ExclusiveNewFile) {
        // From the last of the list to the first; a window kept open stops the command.
        std::vector<QPointer<TRChartFrm>> windows(ChartWindows().begin(), ChartWindows().end());
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            if (!*it)
                continue;
            const bool closed = (*it)->close();
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (!closed)
                return;
        }
    }
    NewChartWindow(info);
}

void TMainFrm::FileOpenExecute() { OpenFiles(wnd::OpenDataFiles(this, Native(DataFolder()))); }

void TMainFrm::OpenFiles(const QStringList& files)
{
    for (const QString& f : files) {
        const std::string name = NativeName(f);
        try {
            if (TRChartFrm* w = FindChartWindow(name))
                BringToFront(w);
            else if (OpenChartFile(name))
                FLastFiles->Add(name);
        } catch (const std::exception&) {
            wnd::ShowError(QStringLiteral("O arquivo %1 não pode ser aberto").arg(f));
        }
    }
}

void TMainFrm::OpenRecentFile(const std::string& fileName)
{
    try {
        if (TRChartFrm* w = FindChartWindow(fileName)) {
            BringToFront(w);
            return;
        }
        if (!FileExists(fileName)) {
            wnd::ShowWarning(QStringLiteral("O arquivo %1 não foi encontrado.").arg(Native(fileName)));
            return;
        }
        if (OpenChartFile(fileName))
            FLastFiles->Add(fileName);
    } catch (const std::exception&) {
        wnd::ShowError(QStringLiteral("O arquivo %1 não pode ser aberto").arg(Native(fileName)));
    }
}

void TMainFrm::SaveChart(TRChartFrm* w)
{
    if (!w)
        return;
    TRChartInfo& info = w->Doc().Info;
    if (info.FileName.empty())
        info.FileName = TRChart::MakeFileName(info);
    const std::string name = info.FileName;
    if (w->Save(name) && FLastFiles->IndexOf(name) < 0)
        FLastFiles->Add(name);
}

void TMainFrm::FileSaveExecute() { SaveChart(ActiveChartWindow()); }

void TMainFrm::FileCloseExecute()
{
    if (QMdiSubWindow* w = FMdi->currentSubWindow())
        w->close();
}

void TMainFrm::FilePropExecute()
{
    TRChartFrm* w = ActiveChartWindow();
    if (!w || !EditProperties)
        return;
    TRChart& doc = w->Doc();
    TRChartInfo info = doc.Info;
    const std::string before = info.FileName;
    if (!EditProperties(info))
        return;
    w->RunStep(steps::kProperties, [&] { doc.SetInfo(info); });
    const std::string after = doc.Info.FileName;
    if (!before.empty() && before != after)
        FLastFiles->Rename(before, after);
}

void TMainFrm::FileExitExecute() { close(); }

} // namespace rs
