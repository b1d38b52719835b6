#include "shell/uOptions.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace rs {

namespace {

// File defaults of the four buttons, counted from 1 as the file holds them.
constexpr std::array<int, kTabletTaskCount> kDefaultFileButtons{1, 2, 3, 4};
const char* const kButtonKeys[kTabletTaskCount] = {ini::kKeyInsertButton, ini::kKeyDeleteButton,
                                                   ini::kKeyOverflowButton, ini::kKeySwapButton};
// No value read from the file can hold a line break.
const char* const kAbsent = "\n";

} // namespace

const char* TabletTaskName(int task)
{
    switch (task) {
    case ttInsert:
        return "Inserir Ponto";
    case ttDelete:
        return "Excluir Ponto";
    case ttOverflow:
        return "Sinalizar Transbordamento";
    case ttSwap:
        return "Alternar Modos Abs/Rel";
    default:
        return "";
    }
}

bool TaskButtonsDistinct(const TTaskButtons& buttons)
{
    for (int i = 0; i < kTabletTaskCount; ++i)
        for (int j = i + 1; j < kTabletTaskCount; ++j)
            if (buttons[i] == buttons[j])
                return false;
    return true;
}

std::string FormatBounds(const TBounds& b)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d %d %d %d", b.Left, b.Top, b.Width, b.Height);
    return buf;
}

bool ParseBounds(std::string_view text, TBounds& b)
{
    int v[4];
    int n = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        std::size_t j = text.find(' ', i);
        if (j == std::string_view::npos)
            j = text.size();
        if (n == 4 || !TryParseIniInteger(text.substr(i, j - i), v[n]))
            return false;
        ++n;
        i = j;
    }
    if (n != 4)
        return false;
    b = TBounds{v[0], v[1], v[2], v[3]};
    return true;
}

std::string ColorToText(TColor c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%.6X", unsigned(c));
    return buf;
}

bool TryTextToColor(std::string_view text, TColor& c)
{
    int v = 0;
    if (!TryParseIniInteger(text, v))
        return false;
    c = static_cast<TColor>(v);
    return true;
}

TOptions TOptions::FileDefaults()
{
    TOptions o;
    o.Background = 0xFFFFFF;
    o.Grid = 0xC0C0C0;
    o.Curve = 0xC00000;
    for (int t = 0; t < kTabletTaskCount; ++t)
        o.Buttons[t] = kDefaultFileButtons[t] - 1;
    o.ExclusiveNewFile = false;
    o.NumRecentFiles = 4;
    return o;
}

void TOptions::Load(const TIniFile& ini, std::vector<std::string>* badKeys)
{
    const TOptions def = FileDefaults();
    TIniDocument doc;
    ini.ReadAll(doc);
    auto read = [&](const char* section, const char* key) {
        std::string text;
        return doc.Find(section, key, text) ? text : std::string(kAbsent);
    };
    auto bad = [&](const char* key) {
        if (badKeys)
            badKeys->push_back(key);
    };
    // An integer key: missing gives the default silently, a present value
    // that is not an integer gives it too but is reported.
    auto readInt = [&](const char* section, const char* key, int fallback) {
        const std::string text = read(section, key);
        if (text == kAbsent)
            return fallback;
        int v = 0;
        if (TryParseIniInteger(text, v))
            return v;
        bad(key);
        return fallback;
    };
    auto readColor = [&](const char* key, TColor fallback) {
        const std::string text = read(ini::kSecColors, key);
        if (text == kAbsent)
            return fallback;
        TColor c = 0;
        if (TryTextToColor(text, c))
            return c;
        bad(key);
        return fallback;
    };

    RunCount = readInt(ini::kSecInfo, ini::kKeyRuns, 0);
    Background = readColor(ini::kKeyBackground, def.Background);
    Grid = readColor(ini::kKeyGrid, def.Grid);
    Curve = readColor(ini::kKeyCurve, def.Curve);
    for (int t = 0; t < kTabletTaskCount; ++t) {
        int b = readInt(ini::kSecOptions, kButtonKeys[t], kDefaultFileButtons[t]);
        // A number no tablet button has would index past the button bits.
        if (b < 1 || b > kMaxTabletButton + 1) {
            bad(kButtonKeys[t]);
            b = kDefaultFileButtons[t];
        }
        Buttons[t] = b - 1;
    }
    ExclusiveNewFile = readInt(ini::kSecOptions, ini::kKeyExclusiveNew, 0) != 0;
    NumRecentFiles = std::clamp(readInt(ini::kSecOptions, ini::kKeyNumFiles, def.NumRecentFiles), 0, kMaxRecentFiles);

    MainWindowBounds.reset();
    TBounds bounds;
    if (ParseBounds(read(ini::kSecMainWindow, ini::kKeyBounds), bounds))
        MainWindowBounds = bounds;

    VirtualTabletOpen = readInt(ini::kSecVirtualTablet, ini::kKeyOpen, 0) != 0;
    VirtualTabletImage.clear();
    doc.Find(ini::kSecVirtualTablet, ini::kKeyImage, VirtualTabletImage);
}

bool TOptions::Save(TIniFile& ini) const
{
    return ini.Update([this](TIniDocument& doc) {
        const int runs = RunCount == INT_MAX ? INT_MAX : RunCount + 1;
        doc.Set(ini::kSecInfo, ini::kKeyRuns, std::to_string(runs));
        doc.Set(ini::kSecColors, ini::kKeyBackground, ColorToText(Background));
        doc.Set(ini::kSecColors, ini::kKeyGrid, ColorToText(Grid));
        doc.Set(ini::kSecColors, ini::kKeyCurve, ColorToText(Curve));
        for (int t = 0; t < kTabletTaskCount; ++t)
            doc.Set(ini::kSecOptions, kButtonKeys[t], std::to_string(Buttons[t] + 1));
        doc.Set(ini::kSecOptions, ini::kKeyExclusiveNew, ExclusiveNewFile ? "1" : "0");
        doc.Set(ini::kSecOptions, ini::kKeyNumFiles, std::to_string(NumRecentFiles));
        if (MainWindowBounds)
            doc.Set(ini::kSecMainWindow, ini::kKeyBounds, FormatBounds(*MainWindowBounds));
        // Only once there is something to remember: a first run writes the usual keys alone.
        std::string was;
        if (VirtualTabletOpen || !VirtualTabletImage.empty() || doc.Find(ini::kSecVirtualTablet, ini::kKeyOpen, was)) {
            doc.Set(ini::kSecVirtualTablet, ini::kKeyOpen, VirtualTabletOpen ? "1" : "0");
            doc.Set(ini::kSecVirtualTablet, ini::kKeyImage, VirtualTabletImage);
        }
        return true;
    });
}

TOptions& Options()
{
    static TOptions options;
    return options;
}

void ApplyOptions(const TOptions& o)
{
    Options() = o;
    TChartColors& colors = ChartColors();
    colors.Background = o.Background;
    colors.Grid = o.Grid;
    colors.Curve = o.Curve;
}

TPreferencesEdit TPreferencesEdit::From(const TOptions& o)
{
    TPreferencesEdit e;
    e.Background = o.Background;
    e.Grid = o.Grid;
    e.Curve = o.Curve;
    e.ExclusiveNewFile = o.ExclusiveNewFile;
    e.NumRecentFiles = o.NumRecentFiles;
    e.Buttons = o.Buttons;
    e.Task = ttOverflow;
    return e;
}

void TPreferencesEdit::AssignButton(int button)
{
    if (button < 0 || button > kMaxTabletButton || Task < 0 || Task >= kTabletTaskCount)
        return;
    Buttons[Task] = button;
}

bool TPreferencesEdit::Commit(TOptions& o) const
{
    o.Background = Background;
    o.Grid = Grid;
    o.Curve = Curve;
    o.ExclusiveNewFile = ExclusiveNewFile;
    o.NumRecentFiles = std::clamp(NumRecentFiles, 0, kMaxRecentFiles);
    if (!TaskButtonsDistinct(Buttons))
        return false;
    o.Buttons = Buttons;
    return true;
}

} // namespace rs
