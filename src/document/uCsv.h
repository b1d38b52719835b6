#pragma once
// CSV text for the analysis tables, shared by the command line and the
// results window's export. Cells are UTF-8. With a decimal comma the fields
// are separated by semicolons (what spreadsheets in Portuguese expect);
// otherwise by commas with a decimal point. Lines end in CR LF.

#include <string>
#include <string_view>

namespace rs {

struct TCsvFormat
{
    char Separator = ',';
    char Decimal = '.';
    std::string LineEnd = "\r\n";

    // ';' and ',' for a decimal comma, ',' and '.' for anything else.
    static TCsvFormat ForDecimal(char decimal);
};

// The format that follows the process decimal separator (rs::DecimalSeparator()).
TCsvFormat DefaultCsvFormat();

class TCsvWriter
{
  public:
    explicit TCsvWriter(TCsvFormat format = DefaultCsvFormat());

    const TCsvFormat& Format() const { return FFormat; }

    // A text cell; quoted when it holds the separator, a quote or a line break.
    TCsvWriter& Cell(std::string_view utf8);
    // A number with a fixed count of decimals; a value that is not finite gives an empty cell.
    TCsvWriter& Number(double value, int decimals);
    TCsvWriter& Integer(long long value);
    TCsvWriter& Empty();
    // Ends the current line.
    void EndRow();

    const std::string& Text() const { return FText; }
    std::string Take() { return std::move(FText); }

  private:
    void BeginCell();
    TCsvFormat FFormat;
    std::string FText;
    bool FRowStarted = false;
};

// value with decimals fixed digits and the given decimal mark, independent of the C locale;
// "-0.00" never appears.
std::string FixedNumber(double value, int decimals, char decimal);

} // namespace rs
