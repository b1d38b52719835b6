#include "document/uCsv.h"

#include "common/Utils.h"

#include <charconv>
#include <cmath>

namespace rs {

TCsvFormat TCsvFormat::ForDecimal(char decimal)
{
    TCsvFormat f;
    if (decimal == ',') {
        f.Separator = ';';
        f.Decimal = ',';
    }
    return f;
}

TCsvFormat DefaultCsvFormat()
{
    return TCsvFormat::ForDecimal(DecimalSeparator());
}

std::string FixedNumber(double value, int decimals, char decimal)
{
    if (!std::isfinite(value)) return {};
    if (decimals < 0) decimals = 0;
    if (decimals > 17) decimals = 17;
    // Anything that rounds to zero is written as zero, without a sign.
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return {};
    std::string s(buf, r.ptr);
    if (decimal != '.')
        for (char& c : s)
            if (c == '.') c = decimal;
    return s;
}

TCsvWriter::TCsvWriter(TCsvFormat format) : FFormat(std::move(format)) {}

void TCsvWriter::BeginCell()
{
    if (FRowStarted) FText += FFormat.Separator;
    FRowStarted = true;
}

TCsvWriter& TCsvWriter::Cell(std::string_view utf8)
{
    BeginCell();
    bool quote = false;
    for (char c : utf8)
        if (c == FFormat.Separator || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    if (!quote) {
        FText += utf8;
        return *this;
    }
    FText += '"';
    for (char c : utf8) {
        if (c == '"') FText += '"';
        FText += c;
    }
    FText += '"';
    return *this;
}

TCsvWriter& TCsvWriter::Number(double value, int decimals)
{
    BeginCell();
    FText += FixedNumber(value, decimals, FFormat.Decimal);
    return *this;
}

TCsvWriter& TCsvWriter::Integer(long long value)
{
    BeginCell();
    FText += std::to_string(value);
    return *this;
}

TCsvWriter& TCsvWriter::Empty()
{
    BeginCell();
    return *this;
}

void TCsvWriter::EndRow()
{
    FText += FFormat.LineEnd;
    FRowStarted = false;
}

} // namespace rs
