#pragma once
// The predefined control-point sets and their text file "PontosDef.txt".
//
// A set is a named list of (time, precipitation) pairs matching the printed
// grid of a chart model. Times in the file refer to a chart placed at 7 h;
// while in use every time is shifted by the chart's start hour minus 7.
// Names are Windows-1252 bytes; messages returned to callers are UTF-8.

#include <string>
#include <string_view>
#include <vector>

namespace rs {

class TPointList;

// Completeness of a point in the set dialog (bits of TCoordPoint::Tag).
inline constexpr int kCoordTimeEntered = 1;
inline constexpr int kCoordPrecEntered = 2;
inline constexpr int kCoordComplete = kCoordTimeEntered | kCoordPrecEntered;

// Chart value ranges a control point must lie in to count as valid.
inline constexpr double kCoordMinPrec = -1.0;
inline constexpr double kCoordMaxPrec = 11.0;

// Points a set dialog accepts at most (the grid's rows, the scale's limit).
inline constexpr int kMaxSetPoints = 15;

// Start hour the file's times refer to.
inline constexpr int kCoordsFileHour = 7;

// True when time lies in [startHour, startHour + 24] and prec in [-1, 11].
bool CoordInRange(double time, double prec, int startHour);

struct TCoordPoint
{
    double Time = 0; // hours, chart time
    double Prec = 0; // mm
    int Tag = kCoordComplete;

    bool Complete() const { return (Tag & kCoordComplete) == kCoordComplete; }
};

struct TCoordSet
{
    std::string Name;
    std::vector<TCoordPoint> Points;

    int Count() const { return int(Points.size()); }
    // Complete and within the chart's ranges.
    bool IsValidPoint(int i, int startHour) const;
    int ValidCount(int startHour) const;
    // Same count, the same name byte for byte and exactly equal values point by point.
    bool SameAs(const TCoordSet& other) const;
    bool IsTemporary() const;
    // The scale's copy of a chosen set: its name and values, every mark -1.
    void CopyTo(TPointList& list) const;
};

// The name given to a set made in the set dialog without a name (Windows-1252).
extern const char* const kTemporarySetName;
bool IsTemporarySetName(std::string_view name); // case-insensitive

// Valid points a set needs before the set dialog closes with OK: one below the
// fit's minimum, since the remaining point is marked with typed coordinates.
int MinSetPoints(bool linear);
// "São necessários pelo menos %d pontos" (UTF-8) with MinSetPoints(linear).
std::string MinSetPointsMessage(bool linear);
// The scale dialog's hint: control points the fit needs ("Deverão ser marcados pelo menos %d pontos").
int MinScalePoints(bool linear);
std::string MinScalePointsMessage(bool linear);

class TCoordsList
{
public:
    static constexpr const char* kFileName = "PontosDef.txt";

    int Count() const { return int(FSets.size()); }
    TCoordSet& Sets(int i) { return FSets.at(std::size_t(i)); }
    const TCoordSet& Sets(int i) const { return FSets.at(std::size_t(i)); }
    const std::string& Names(int i) const { return Sets(i).Name; }
    std::vector<std::string> NameList() const;

    // A new empty set appended under name (duplicates are allowed).
    TCoordSet& Add(const std::string& name);
    // Appends a set whose times refer to the list's current start hour.
    int Append(const TCoordSet& set);
    void Delete(int i);
    void Clear();
    // Removes every set named "Pontos Temporários" (any case); returns how many went.
    int RemoveTemporary();

    int StartHour() const { return FStartHour; }
    // Shifts every time of every set by hour - StartHour().
    void SetStartHour(int hour);

    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }

    // Reads the file; the list is emptied first and refers to 7 h afterwards.
    // An absent file gives an empty list and no message. A file that cannot be
    // read to its end keeps the sets before the fault and returns a warning
    // (UTF-8) for the caller to show; the unread rest is kept and written back
    // unchanged after the sets, so saving never discards what could not be read.
    std::string LoadFromFile(const std::string& path);
    std::string LoadFromText(std::string_view text, const std::string& fileName = kFileName);

    // Writes atomically (a temporary file in the same folder, then a rename).
    // On failure returns false with a message (UTF-8) and leaves the old file as it was.
    bool SaveToFile(const std::string& path, std::string* error = nullptr) const;
    // The file's text: times written for a chart at 7 h, CR LF line ends.
    std::string SaveToText() const;

    // The part of the last loaded file that could not be read (empty normally).
    const std::string& UnreadText() const { return FUnreadText; }

private:
    std::vector<TCoordSet> FSets;
    int FStartHour = kCoordsFileHour;
    bool FModified = false;
    std::string FUnreadText;
    // A file that exists but could not be read at all is never overwritten.
    std::string FProtectedPath;
};

} // namespace rs
