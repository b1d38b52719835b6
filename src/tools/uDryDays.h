#pragma once
// Writing the data files of days without rain (kind 1) or without a chart (kind 2).

#include "common/Utils.h"
#include "document/uRChart.h"

#include <functional>
#include <string>

namespace rs {

enum class TOverwriteAnswer { Yes, No, Cancel };

// Asked for a file that exists: i of n (1-based), full path.
using TOverwriteQuestion = std::function<TOverwriteAnswer(int i, int n, const std::string& path)>;

struct TDryDaysResult
{
    int Written = 0;
    bool Cancelled = false;
    std::string Error; // UTF-8; set when a file could not be written (the run stops there)
};

// One file per date of dates (ascending day numbers), named by MakeFileName of the record.
TDryDaysResult CreateDryDayFiles(const TRChartInfo& record, const TDoubleArray& dates,
                                 const TOverwriteQuestion& ask);

// The question and the final message as the program shows them (UTF-8).
std::string OverwriteQuestionText(int i, int n, const std::string& path);
std::string DryDaysCountText(int kind, int count);

} // namespace rs
