// Soak run of the main window: opens and closes 500 charts, digitizes 5,000
// points into one chart through the tablet, and switches between 20 open
// chart windows 1,000 times. Each phase runs in ten rounds; after each round
// the resident memory (/proc/self/statm, after returning freed memory to the
// system) and the round's time, wall and CPU, are noted. Fails when, in a
// phase, the memory after the last round exceeds the level after the first by
// more than 10 %, or the last round takes more than 1.5 times the CPU time of
// the first (and 50 ms more). The scripted tablet's call record is emptied as
// it goes, so that only the program's own memory counts.
//
//   soak [OPENS POINTS SWITCHES]     the counts, 500 5000 1000 by default

#include "chartwin/DrawBox.h"
#include "chartwin/Pictures.h"
#include "chartwin/uRChartWnd.h"
#include "chartwin/uResultFrm.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "shell/uOptions.h"
#include "shell/ui/uMain.h"
#include "support/TestCharts.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "ui_support/FakeServicesScope.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace rs;

namespace {

constexpr int kRounds = 10;

struct TRound
{
    int Index;
    int Done; // operations so far in the phase
    double Ms;
    double CpuMs; // all threads of the process
    double RssMB;
    double HeapMB; // in use by malloc
};

struct TPhase
{
    std::string Name;
    std::vector<TRound> Rounds;
};

double CpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double ResidentMB()
{
    malloc_trim(0);
    std::ifstream in("/proc/self/statm");
    long size = 0, resident = 0;
    in >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

void Settle()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// Runs total operations in kRounds rounds; op(i) does operation i.
template <class Op>
TPhase RunPhase(const std::string& name, int total, Op op)
{
    TPhase phase{name, {}};
    int done = 0;
    for (int r = 0; r < kRounds; ++r) {
        const int end = total * (r + 1) / kRounds;
        QElapsedTimer t;
        t.start();
        const double cpu = CpuMs();
        for (; done < end; ++done)
            op(done);
        Settle();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        const double rss = ResidentMB();
        phase.Rounds.push_back({r + 1, done, ms, CpuMs() - cpu, rss, double(mallinfo2().uordblks) / (1 << 20)});
        const TRound& n = phase.Rounds.back();
        std::fprintf(stderr, "  %s, round %d: %.0f ms, cpu %.0f ms, %.1f MB\n", name.c_str(), n.Index, n.Ms,
                     n.CpuMs, n.RssMB);
    }
    return phase;
}

std::string Native(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString Q(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setWindowIcon(AppIcon()); // as the program does; the chart windows share it
    const int opens = argc > 1 ? std::atoi(argv[1]) : 500;
    const int points = argc > 2 ? std::atoi(argv[2]) : 5000;
    const int switches = argc > 3 ? std::atoi(argv[3]) : 1000;
    constexpr int kOpenWindows = 20;
    if (opens < kOpenWindows || points < kRounds || switches < kRounds) {
        std::fprintf(stderr, "soak: the counts must be at least %d, %d and %d\n", kOpenWindows, kRounds,
                     kRounds);
        return 2;
    }

    QTemporaryDir tmp;
    const std::string dir = Native(tmp.path()) + "/";
    SetAppFolderForTesting(dir + "app/");
    ForceDirectories(dir + "app/");
    SetConfigFolderForTesting(dir + "config/");
    SetDataFolder(dir + "data/");
    TFakeServicesScope fakes;
    TScriptedTabletDriver driver;
    SetTabletDriver(&driver);
    LoadTabletLibrary();
    Options().Buttons = {0, 1, 2, 3};
    SetSwapButton(3);

    // The charts to open, one a day.
    std::vector<std::string> files;
    for (int i = 0; i < opens; ++i) {
        TRChart c;
        test::MakeDigitizedChart(c, i % 2 == 0);
        TRChartInfo info = c.Info;
        info.Date = EncodeDate(2000, 1, 1) + i;
        info.FileName.clear();
        c.SetInfo(info);
        c.Info.FileName = TRChart::MakeFileName(c.Info);
        c.SaveToFile(c.Info.FileName);
        files.push_back(c.Info.FileName);
    }

    std::vector<TPhase> phases;
    bool ok = true;
    auto fail = [&ok](const char* what) {
        std::fprintf(stderr, "soak: %s\n", what);
        ok = false;
    };
    {
        TMainFrm frm(nullptr);
        frm.EditProperties = [](TRChartInfo& info) {
            info = test::SampleInfo(true);
            return true;
        };
        frm.CreateForms();
        frm.resize(1200, 900);
        frm.show();
        frm.activateWindow();
        Settle();
        QMdiArea* area = frm.ChartArea();

        phases.push_back(RunPhase("abrir e fechar", opens, [&](int i) {
            frm.OpenFiles({Q(files[std::size_t(i)])});
            QApplication::processEvents();
            frm.FileCloseExecute();
            Settle();
            driver.ClearRecord();
        }));
        if (!ChartWindows().empty())
            fail("a closed chart window is still there");

        TRChartFrm* w = nullptr;
        phases.push_back(RunPhase("digitalizar", points, [&](int i) {
            if (i == 0) {
                frm.FileNewExecute();
                w = ActiveChartWindow();
                test::PrepareScale(w->Doc());
                w->Doc().ConcludeScale();
                w->mnDigCurve->trigger();
                Settle();
                // The results window came up active; the operator's click in the chart takes the focus back.
                frm.activateWindow();
                w->Box()->setFocus();
                Settle();
            }
            // A saw-tooth over the day: rises of 9 mm, each ended by an overflow.
            const double t = 7 + 24.0 * i / points;
            const int step = i % 100;
            const auto [x, y] = test::ToTablet(t, step * 0.09, true);
            driver.Send(0, x, y);
            const int button = step == 99 ? 2 : 0;
            driver.PressButton(button, x, y);
            driver.ReleaseButton(button, x, y);
            QApplication::processEvents();
            driver.ClearRecord();
        }));
        if (!w || w->Doc().Curve().Count() < points)
            fail("the curve did not take every point");
        else
            std::fprintf(stderr, "  curve: %d points, %.1f mm\n", w->Doc().Curve().Count(),
                         w->Doc().Curve().Sum);
        if (w) {
            fakes.Messages.SetDefaultAnswer(TMsgResult::No); // do not save it
            frm.FileCloseExecute();
            Settle();
            fakes.Messages.ClearDefaultAnswer();
            fakes.Messages.Clear();
        }

        std::vector<TRChartFrm*> open;
        frm.OpenFiles([&] {
            QStringList l;
            for (int i = 0; i < kOpenWindows; ++i)
                l << Q(files[std::size_t(i)]);
            return l;
        }());
        Settle();
        open = ChartWindows();
        if (int(open.size()) != kOpenWindows)
            fail("the charts to switch between did not all open");
        else
            phases.push_back(RunPhase("alternar janelas", switches, [&](int i) {
                area->setActiveSubWindow(open[std::size_t(i) % open.size()]);
                QApplication::processEvents();
                driver.ClearRecord();
            }));
        frm.close();
        Settle();
        if (fakes.Messages.Count() != 0)
            std::fprintf(stderr, "soak: messages shown: %s\n",
                         fakes.Messages.Texts().join(QStringLiteral(" | ")).toUtf8().constData());
    }

    std::printf("%-18s %5s %6s %10s %10s %9s %9s\n", "phase", "round", "done", "time ms", "cpu ms", "RSS MB",
                "heap MB");
    for (const TPhase& p : phases) {
        for (const TRound& r : p.Rounds)
            std::printf("%-18s %5d %6d %10.1f %10.1f %9.1f %9.2f\n", p.Name.c_str(), r.Index, r.Done, r.Ms, r.CpuMs,
                        r.RssMB, r.HeapMB);
        const TRound& first = p.Rounds.front();
        const TRound& last = p.Rounds.back();
        const bool memOk = last.RssMB <= first.RssMB * 1.10;
        // CPU time, less disturbed than the wall clock by other work on the machine.
        const bool timeOk = last.CpuMs <= first.CpuMs * 1.5 || last.CpuMs - first.CpuMs < 50;
        std::printf("%-18s memory %+.1f %% (%s), last/first round cpu time %.2f (%s), wall %.2f\n", p.Name.c_str(),
                    100 * (last.RssMB / first.RssMB - 1), memOk ? "ok" : "FAIL", last.CpuMs / first.CpuMs,
                    timeOk ? "ok" : "FAIL", last.Ms / first.Ms);
        ok = ok && memOk && timeOk;
    }
    std::printf("soak: %s\n", ok ? "ok" : "FAIL");
    return ok ? 0 : 1;
}
