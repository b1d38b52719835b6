#pragma once
// A batch run: the shard's lines of a manifest read by a few worker threads
// at once, each chart written as soon as it is done, so that a run stopped
// anywhere leaves whole charts and a later run does what is left.

#include "trace/BatchJob.h"
#include "trace/BatchManifest.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace rs::trace {

struct TBatchRunOptions
{
    TBatchOptions Chart;
    int Jobs = 1;
    TShard Shard;
    const std::atomic<bool>* Stop = nullptr; // set (e.g. by Ctrl+C): no chart is begun after it
    // Told after each chart, one call at a time: the row, charts done, charts of the run.
    std::function<void(const TBatchRow& row, int done, int total)> OnChart;
};

struct TBatchOutcome
{
    std::vector<TBatchRow> Rows; // in manifest order; charts never begun are left out
    int Total = 0;               // lines of the shard
    bool Interrupted = false;    // stopped before the end
    std::string Fatal;           // UTF-8: the write failure that stopped the run
};

TBatchOutcome RunBatch(const TManifest& manifest, const TBatchRunOptions& o);

// Whether a file can be made in the folder (made when missing). False with the operator's message.
bool CheckWritableFolder(const std::string& folder, std::string& error);

} // namespace rs::trace
