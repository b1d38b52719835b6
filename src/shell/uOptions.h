#pragma once
// The preference values and their place in the settings file.
//
// All names of sections and keys of the settings file are here, as Latin-1
// byte strings. The preferences are read at start-up and written at shutdown
// by the main window; the preferences dialog edits them through
// TPreferencesEdit.

#include "common/uGlobal.h"
#include "common/uIniFile.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rs {

namespace ini {
inline constexpr const char* kSecInfo = "Informa\xE7\xF5" "es";
inline constexpr const char* kKeyRuns = "Execu\xE7\xF5" "es";
inline constexpr const char* kSecColors = "Cores do Gr\xE1" "fico";
inline constexpr const char* kKeyBackground = "Fundo";
inline constexpr const char* kKeyGrid = "Grade";
inline constexpr const char* kKeyCurve = "Curva";
inline constexpr const char* kSecOptions = "Op\xE7\xF5" "es";
inline constexpr const char* kKeyInsertButton = "Bot\xE3" "oInserir";
inline constexpr const char* kKeyDeleteButton = "Bot\xE3" "oExcluir";
inline constexpr const char* kKeyOverflowButton = "Bot\xE3" "oTransb.";
inline constexpr const char* kKeySwapButton = "Bot\xE3" "oModoCur";
inline constexpr const char* kKeyExclusiveNew = "NovoArquivoExclusivo";
inline constexpr const char* kKeyNumFiles = "NumArqs";
// List sections: keys "1", "2", ... in list order.
inline constexpr const char* kSecRecentFiles = "Arquivos Recentes";
inline constexpr const char* kSecRecentDataFolders = "Pasta de Dados Recentes";
inline constexpr const char* kSecExploredFolders = "Pastas Exploradas";
// The folder summaries window.
inline constexpr const char* kSecExplorer = "Janela do Explorador";
inline constexpr const char* kKeyBounds = "Posi\xE7\xE3" "oTamanho";
inline constexpr const char* kKeyLowerHeight = "AlturaInferior";
inline constexpr const char* kKeyStayOnTop = "Sempre Vis\xED" "vel";
// The main window's bounds, kept only when the main window chooses to.
inline constexpr const char* kSecMainWindow = "Janela Principal";
// The virtual tablet window: open at the last shutdown, and its scanned chart.
inline constexpr const char* kSecVirtualTablet = "Mesa Virtual";
inline constexpr const char* kKeyOpen = "Aberta";
inline constexpr const char* kKeyImage = "Imagem";
} // namespace ini

inline constexpr int kMaxRecentFiles = 8;
inline constexpr int kMaxTabletButton = 31; // buttons are counted from 0 in the program
inline constexpr const char* kMsgDuplicateButtons =
    "Cada bot\xE3" "o s\xF3 pode ser associado a apenas uma tarefa.";

// The four tablet tasks, in the order of the preferences dialog.
enum TTabletTask { ttInsert = 0, ttDelete = 1, ttOverflow = 2, ttSwap = 3 };
inline constexpr int kTabletTaskCount = 4;
// "Inserir Ponto", "Excluir Ponto", "Sinalizar Transbordamento", "Alternar Modos Abs/Rel".
const char* TabletTaskName(int task);

using TTaskButtons = std::array<int, kTabletTaskCount>;
// True when no button serves two tasks.
bool TaskButtonsDistinct(const TTaskButtons& buttons);

// Window bounds in pixels, stored as "%d %d %d %d" (left, top, width, height).
struct TBounds
{
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TBounds&) const = default;
};
std::string FormatBounds(const TBounds& b);
// Exactly four integers separated by blanks; anything else fails.
bool ParseBounds(std::string_view text, TBounds& b);

// Colour text: "$" and at least six upper-case hex digits of 0x00BBGGRR.
std::string ColorToText(TColor c);
// "$"-hex or decimal, as any integer of the settings file.
bool TryTextToColor(std::string_view text, TColor& c);

struct TOptions
{
    int RunCount = 0; // as read; saved + 1
    TColor Background = RGB(255, 255, 255);
    TColor Grid = RGB(255, 176, 64);
    TColor Curve = RGB(0, 0, 128);
    // Insert, delete, overflow and swap buttons, counted from 0 (the file counts from 1).
    // The swap button lives in the tablet module while the program runs: the
    // main window hands it over after loading and takes it back before saving.
    TTaskButtons Buttons{0, 0, 0, 0};
    bool ExclusiveNewFile = false;
    int NumRecentFiles = 0; // 0 ... kMaxRecentFiles
    std::optional<TBounds> MainWindowBounds;
    bool VirtualTabletOpen = false;
    std::string VirtualTabletImage; // Latin-1 path; empty: the blank area

    int InsertButton() const { return Buttons[ttInsert]; }
    int DeleteButton() const { return Buttons[ttDelete]; }
    int OverflowButton() const { return Buttons[ttOverflow]; }
    int SwapButton() const { return Buttons[ttSwap]; }

    // The values a settings file without any of the keys gives.
    static TOptions FileDefaults();

    // Reads every key; a missing or malformed key takes its file default and
    // the others still load. Names of malformed keys go to badKeys when given.
    void Load(const TIniFile& ini, std::vector<std::string>* badKeys = nullptr);
    // Writes the keys in one write of the file, the run counter as RunCount + 1.
    // False (with ini.LastError()) when the file could not be written.
    bool Save(TIniFile& ini) const;

    bool operator==(const TOptions&) const = default;
};

// The preference values of this run (built-in values until loaded).
TOptions& Options();
// Makes o the preference values of the run and hands its colours to the drawing.
void ApplyOptions(const TOptions& o);

// The preferences dialog's working values.
struct TPreferencesEdit
{
    TColor Background = 0, Grid = 0, Curve = 0;
    bool ExclusiveNewFile = false;
    int NumRecentFiles = 0;
    TTaskButtons Buttons{};
    int Task = ttOverflow; // the selected task; the dialog opens on the overflow task

    static TPreferencesEdit From(const TOptions& o);
    // A tablet button chosen for the selected task.
    void AssignButton(int button);
    int SelectedButton() const { return Buttons[Task]; }
    // OK: colours, exclusive new file and number of files are stored at once;
    // the buttons only when they are pairwise different (otherwise false, and
    // the dialog shows kMsgDuplicateButtons and stays open).
    bool Commit(TOptions& o) const;
};

} // namespace rs
