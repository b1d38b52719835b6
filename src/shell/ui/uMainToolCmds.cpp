// The main window's tool commands: dry days, data folder, conversion, folder
// summaries, preferences, the tablet menu and the help menu.

#include "shell/ui/uMain.h"

#include "chartwin/ScanDesk.h"
#include "chartwin/uRChartWndServices.h"
#include "common/Utils.h"
#include "shell/uLastFiles.h"
#include "shell/uOptions.h"
#include "shell/ui/uMainStatus.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "tablet/ui/VirtualTablet.h"
#include "tablet/ui/uTableDlg.h"
#include "tools/uCnvLibrary.h"
#include "tools/uDryDays.h"

#include <QFileInfo>
#include <QLabel>
#include <QMenu>

namespace rs {

void TMainFrm::CreateTabletWindows()
{
    // Without a tablet driver of the system the screen's virtual tablet is the
    // driver; "--no-tablet" keeps the program without any.
    if (!FVirtualTablet && !NoTabletDriverSelected()) {
        auto* vt = new TVirtualTablet(this, RegisteredTabletDriver() == nullptr);
        vt->OnMessage = [](const QString& text) { wnd::ShowWarning(text); };
        FVirtualTablet = vt;
        AttachScanTablet(vt); // the charts are checked over its scans
        FForms.push_front(vt);
        mnTablet->addSeparator();
        mnTablet->addAction(vt->ToggleAction());
        // Shown once the main window is up, so that it opens above it.
        QMetaObject::invokeMethod(this, &TMainFrm::RestoreVirtualTabletState, Qt::QueuedConnection);
    }
    if (!Windows.TabletTest)
        Windows.TabletTest = [this](int mode) {
            const TOptions& o = Options();
            TTableDlg::Execute(this, TTaskButtonSet{o.InsertButton(), o.DeleteButton(), o.OverflowButton()},
                               mode == 0 ? moAbsolute : moRelative);
        };
}

void TMainFrm::KeepVirtualTabletState()
{
    auto* vt = qobject_cast<TVirtualTablet*>(FVirtualTablet.data());
    if (!vt)
        return;
    FVirtualTabletKept = true;
    TOptions& o = Options();
    o.VirtualTabletOpen = vt->IsOpen();
    // The settings file is Latin-1: a path it cannot hold is not kept.
    const QString path = vt->ImagePath();
    const QByteArray bytes = path.toLatin1();
    o.VirtualTabletImage = QString::fromLatin1(bytes) == path ? bytes.toStdString() : std::string();
}

void TMainFrm::RestoreVirtualTabletState()
{
    auto* vt = qobject_cast<TVirtualTablet*>(FVirtualTablet.data());
    const TOptions& o = Options();
    if (!vt || !o.VirtualTabletOpen)
        return;
    // A chart image that is gone since is simply not shown again.
    const QString image = QString::fromLatin1(o.VirtualTabletImage.c_str());
    if (!image.isEmpty() && QFileInfo::exists(image))
        vt->LoadImage(image);
    vt->SetOpen(true);
}

void TMainFrm::FileDryDaysExecute()
{
    if (!Windows.DryPeriod)
        return;
    TRChartInfo info;
    TDoubleArray dates;
    if (!Windows.DryPeriod(info, dates))
        return;
    const TDryDaysResult r = CreateDryDayFiles(info, dates, [](int i, int n, const std::string& path) {
        switch (wnd::Message(QString::fromStdString(OverwriteQuestionText(i, n, path)), wnd::TMsgKind::Confirmation,
                             wnd::TMsgButtons::YesNoCancel)) {
        case wnd::TMsgAnswer::Yes: return TOverwriteAnswer::Yes;
        case wnd::TMsgAnswer::No: return TOverwriteAnswer::No;
        default: return TOverwriteAnswer::Cancel;
        }
    });
    if (!r.Error.empty())
        wnd::ShowError(QString::fromStdString(r.Error));
    wnd::ShowInfo(QString::fromStdString(DryDaysCountText(info.Kind, r.Written)));
}

void TMainFrm::PastadeDados1Click()
{
    if (!Windows.DataFolder)
        return;
    std::string folder = DataFolder();
    if (Windows.DataFolder(folder))
        SetDataFolder(folder);
}

void TMainFrm::mnConvertOldFilesClick()
{
    const TCnvLibrary& lib = TCnvLibrary::Instance();
    if (!lib.Loaded()) {
        wnd::ShowWarning(QStringLiteral("Não será possivel realizar a conversão dos arquivos \".dpb\" para \".pvd\", "
                                        "porque o arquivo \"%1\" não pôde ser encontrado ou carregado.")
                             .arg(QString::fromLatin1(kCnvLibraryName)));
        return;
    }
    if (Windows.Conversion)
        Windows.Conversion();
}

void TMainFrm::FileExplorerExecute()
{
    if (Windows.Explorer)
        Windows.Explorer();
}

void TMainFrm::FileOptionsExecute()
{
    if (!Windows.Preferences || !Windows.Preferences())
        return;
    RefreshChartWindows();
    FLastFiles->SetLimit(Options().NumRecentFiles);
    UpdateSwapCaption();
}

void TMainFrm::mnTestTableClick()
{
    if (!Windows.TabletTest)
        return;
    TRChartFrm* w = ActiveChartWindow();
    FStatus->ModeLabel()->hide();
    Windows.TabletTest(w ? w->TabletMode() : 1);
    FStatus->ModeLabel()->show();
}

void TMainFrm::mnAbsModeClick()
{
    if (TRChartFrm* w = ActiveChartWindow())
        w->SetTabletMode(moAbsolute);
}

void TMainFrm::mnRelModeClick()
{
    if (TRChartFrm* w = ActiveChartWindow())
        w->SetTabletMode(moRelative);
}

void TMainFrm::mnSwapModeClick()
{
    if (TRChartFrm* w = ActiveChartWindow())
        w->SwapTabletMode();
}

void TMainFrm::mnSupportClick()
{
    if (Windows.Support)
        Windows.Support();
}

void TMainFrm::HelpAbout1Click()
{
    if (Windows.About)
        Windows.About();
}

} // namespace rs
