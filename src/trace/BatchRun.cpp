#include "trace/BatchRun.h"

#include "common/Utils.h"
#include "common/uAtomicFile.h"

#include <opencv2/core.hpp>

#include <algorithm>
#include <mutex>
#include <thread>

namespace rs::trace {

TBatchOutcome RunBatch(const TManifest& manifest, const TBatchRunOptions& o)
{
    TBatchOutcome out;
    std::vector<const TManifestEntry*> lines;
    for (const TManifestEntry& e : manifest.Entries)
        if (o.Shard.Takes(e.Ordinal))
            lines.push_back(&e);
    out.Total = int(lines.size());
    std::vector<TBatchRow> rows(lines.size());
    std::vector<char> done(lines.size(), 0);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> fatal{false};
    std::mutex m;
    int count = 0;

    auto worker = [&]() {
        // One chart per worker at a time: OpenCV's own threads would only compete with the other workers.
        cv::setNumThreads(1);
        for (;;) {
            if ((o.Stop && o.Stop->load()) || fatal.load())
                return;
            const std::size_t i = next.fetch_add(1);
            if (i >= lines.size())
                return;
            TBatchRow row = RunBatchChart(*lines[i], o.Chart);
            std::lock_guard<std::mutex> lock(m);
            if (row.Fatal && !fatal.load()) {
                fatal = true;
                out.Fatal = row.Message;
            }
            rows[i] = std::move(row);
            done[i] = 1;
            ++count;
            if (o.OnChart)
                o.OnChart(rows[i], count, out.Total);
        }
    };
    const int jobs = std::clamp(o.Jobs, 1, 256);
    cv::setNumThreads(1);
    if (jobs == 1 || lines.size() <= 1) {
        worker();
    } else {
        std::vector<std::thread> pool;
        for (int j = 0; j < std::min<int>(jobs, int(lines.size())); ++j)
            pool.emplace_back(worker);
        for (std::thread& t : pool)
            t.join();
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (done[i])
            out.Rows.push_back(std::move(rows[i]));
    out.Interrupted = out.Rows.size() < lines.size();
    return out;
}

bool CheckWritableFolder(const std::string& folder, std::string& error)
{
    const std::string dir = IncludeTrailingDelim(folder);
    if (!ForceDirectories(dir)) {
        error = "N\xC3\xA3o foi poss\xC3\xADvel criar a pasta " + folder + ".";
        return false;
    }
    const std::string probe = dir + ".rainscribe-lote.tmp";
    TWriteError e;
    if (!WriteFileAtomically(probe, "lote\n", &e)) {
        error = "N\xC3\xA3o \xC3\xA9 poss\xC3\xADvel gravar na pasta " + folder + ": " + e.Reason + ".";
        return false;
    }
    DeleteFile(probe);
    return true;
}

} // namespace rs::trace
