#pragma once
// Names of the program's pictures in the Qt resource system. The files live in
// resources/ and are drawn by resources/generator (target rs_picturegen); code
// refers to them only through these names.

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QString>

namespace rs {

// Blank charts and hour strips of the small chart picture (TChartImage).
// Geometry: 10 px per hour from x = 20, 7 px per mm down from y = 82.
inline constexpr const char* kPicPluvL = ":/charts/PluvL";   // straight precipitation axis
inline constexpr const char* kPicPluvNL = ":/charts/PluvNL"; // curved precipitation axis
inline constexpr const char* kPicT7h = ":/charts/T7h";       // hour strip of a chart placed at 7 h
inline constexpr const char* kPicT8h = ":/charts/T8h";
inline constexpr const char* kPicT9h = ":/charts/T9h";

// Marker pictures of the small chart picture, by index 0, 1, 2.
inline constexpr const char* kPicPtRed = ":/markers/ptRed";     // "A definir"
inline constexpr const char* kPicPtGreen = ":/markers/ptGreen"; // "Definidos"
inline constexpr const char* kPicPtBlue = ":/markers/ptBlue";   // "Em definição"

// Point glyphs of the full-size chart (transparent).
inline constexpr const char* kPicCtrlPt2 = ":/points/CtrlPt2";   // control point
inline constexpr const char* kPicDataPt2 = ":/points/DataPt2";   // curve point, mark 0
inline constexpr const char* kPicDataPt2b = ":/points/DataPt2b"; // overflow peak, mark 1
inline constexpr const char* kPicDataPt2c = ":/points/DataPt2c"; // failure, mark 2

// Residual within / beyond tolerance (scale statistics legend and cells), 16 x 16.
inline constexpr const char* kPicOk = ":/legend/Ok";
inline constexpr const char* kPicNoOk = ":/legend/noOk";

// Tablet mode icons of the chart window, 31 x 53: imgCursor (absolute) and imgMouse (relative).
inline constexpr const char* kPicModeAbs = ":/mode/Abs";
inline constexpr const char* kPicModeRel = ":/mode/Rel";

// Tablet cursor sprite, 21 x 21, transparent; its hot spot is the centre pixel.
inline constexpr const char* kPicTabCursor = ":/cursor/TabCursor";
inline constexpr int kTabCursorHotX = 10;
inline constexpr int kTabCursorHotY = 10;

// Splash and about pictures, 360 x 270 JPEG. The version text is drawn by the windows.
inline constexpr const char* kPicSplash = ":/app/Splash";
inline constexpr const char* kPicAbout = ":/app/About";

// Program icon, in several sizes (AppIcon() gathers them).
inline constexpr const char* kPicAppIcon16 = ":/app/Icon16";
inline constexpr const char* kPicAppIcon32 = ":/app/Icon32";
inline constexpr const char* kPicAppIcon48 = ":/app/Icon48";
inline constexpr const char* kPicAppIcon256 = ":/app/Icon256";

// Tool-bar and menu icons, 16 x 16 with a 32 x 32 twin named "<name>@2x".
// Use PicIcon(kIcoNew) to get both sizes in one QIcon.
inline constexpr const char* kIcoNew = ":/icons/New";               // FileNew
inline constexpr const char* kIcoOpen = ":/icons/Open";             // FileOpen
inline constexpr const char* kIcoSave = ":/icons/Save";             // FileSave
inline constexpr const char* kIcoClose = ":/icons/Close";           // FileClose
inline constexpr const char* kIcoDryDays = ":/icons/DryDays";       // FileDryDays
inline constexpr const char* kIcoDataFolder = ":/icons/DataFolder"; // PastadeDados1
inline constexpr const char* kIcoConvert = ":/icons/Convert";       // mnConvertOldFiles
inline constexpr const char* kIcoExplorer = ":/icons/Explorer";     // FileExplorer (summaries)
inline constexpr const char* kIcoProperties = ":/icons/Properties"; // FileProp
inline constexpr const char* kIcoOptions = ":/icons/Options";       // FileOptions
inline constexpr const char* kIcoExit = ":/icons/Exit";             // FileExit
inline constexpr const char* kIcoTabletTest = ":/icons/TabletTest"; // mnTestTable
inline constexpr const char* kIcoAbsMode = ":/icons/AbsMode";       // mnAbsMode
inline constexpr const char* kIcoRelMode = ":/icons/RelMode";       // mnRelMode
inline constexpr const char* kIcoSwapMode = ":/icons/SwapMode";     // mnSwapMode
inline constexpr const char* kIcoSupport = ":/icons/Support";       // mnSupport
inline constexpr const char* kIcoAbout = ":/icons/About";           // HelpAbout1
inline constexpr const char* kIcoDefScale = ":/icons/DefScale";     // cmdDefScale / btDefScale
inline constexpr const char* kIcoFinishScale = ":/icons/FinishScale"; // mnFinishScale
inline constexpr const char* kIcoCancelScale = ":/icons/CancelScale"; // mnCancelScale
inline constexpr const char* kIcoStatistics = ":/icons/Statistics"; // mnShowCtrlPt
inline constexpr const char* kIcoUndo = ":/icons/Undo";             // mnUndoLastPt, mnUndoLast
inline constexpr const char* kIcoDelete = ":/icons/Delete";         // mnDelPt, mnDelSelPt
inline constexpr const char* kIcoDigitize = ":/icons/Digitize";     // cmdDigCurve / btDigit
inline constexpr const char* kIcoOverflow = ":/icons/Overflow";     // cmdSpill / btSpill
inline constexpr const char* kIcoFailure = ":/icons/Failure";       // mnAddFail
inline constexpr const char* kIcoFinishDigit = ":/icons/FinishDigit"; // mnEndDigit
inline constexpr const char* kIcoResults = ":/icons/Results";       // mnShowValues (results table)
inline constexpr const char* kIcoChrono = ":/icons/Chrono";         // mnAddToEnd
inline constexpr const char* kIcoRoundZero = ":/icons/RoundZero";   // mnRoundToZero
inline constexpr const char* kIcoSelNext = ":/icons/SelNext";       // mnSelNext
inline constexpr const char* kIcoSelPrev = ":/icons/SelPrev";       // mnSelPrev
inline constexpr const char* kIcoRefresh = ":/icons/Refresh";       // mnRedo
inline constexpr const char* kIcoGridAll = ":/icons/GridAll";       // mnAllGrid
inline constexpr const char* kIcoGridNone = ":/icons/GridNone";     // mnNoneGrid
inline constexpr const char* kIcoZoomIn = ":/icons/ZoomIn";         // mnIncZoom
inline constexpr const char* kIcoZoomOut = ":/icons/ZoomOut";       // mnDecZoom
inline constexpr const char* kIcoZoom100 = ":/icons/Zoom100";       // mnZ100
inline constexpr const char* kIcoCopy = ":/icons/Copy";             // table copy commands
inline constexpr const char* kIcoSelectAll = ":/icons/SelectAll";   // table select-all commands

// A tool-bar icon with its 16 and 32 pixel pictures. One icon per name for the
// whole run: a new one for every chart window's menus would decode the files
// again and fill the pixmap cache with each window's own copies.
inline QIcon PicIcon(const char* name)
{
    static QHash<QByteArray, QIcon>* icons = nullptr;
    if (!icons) {
        icons = new QHash<QByteArray, QIcon>;
        // Freed with the application, while the pixmaps can still go.
        qAddPostRoutine([] {
            delete icons;
            icons = nullptr;
        });
    }
    QIcon& icon = (*icons)[QByteArray(name)];
    if (icon.isNull()) {
        icon.addFile(QString::fromLatin1(name));
        icon.addFile(QString::fromLatin1(name) + QStringLiteral("@2x"));
    }
    return icon;
}

// A picture turned left to right (redo is undo the other way).
inline QIcon PicIconMirrored(const char* name)
{
    const QIcon icon = PicIcon(name);
    QIcon mirrored;
    for (int side : {16, 32}) {
        const QPixmap pix = icon.pixmap(QSize(side, side));
        if (!pix.isNull())
            mirrored.addPixmap(QPixmap::fromImage(pix.toImage().mirrored(true, false)));
    }
    return mirrored;
}

// The program icon with all its sizes.
inline QIcon AppIcon()
{
    QIcon icon;
    for (const char* name : {kPicAppIcon16, kPicAppIcon32, kPicAppIcon48, kPicAppIcon256})
        icon.addFile(QString::fromLatin1(name));
    return icon;
}

} // namespace rs
