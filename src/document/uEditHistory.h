#pragma once
// The edit history of one document: every command that changes it runs as a
// step (Begin/End, or Run), recorded as the parts of the document it changed
// (header, scale, the changed stretch of the curve), so that any command,
// however it works inside, can be undone and redone. Also the step last saved,
// which the document's modified flag follows.

#include "document/uChartState.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace rs {

class TEditHistory
{
public:
    explicit TEditHistory(TRChart& doc);

    // Forgets every step and takes the document as it stands as the start;
    // saved: the document is its file's contents (just opened or saved).
    void Reset(bool saved);

    // Steps nest: only the outermost one is recorded. A step that changed
    // nothing is not recorded; End says whether one was.
    void Begin(const std::string& text);
    bool End();
    bool Run(const std::string& text, const std::function<void()>& edit);
    bool InStep() const { return FDepth > 0; }

    int Count() const { return int(FSteps.size()); }
    // Steps done: 0 at the start, Count() when nothing is left to redo.
    int Position() const { return FPos; }
    const std::string& Text(int step) const { return FSteps[std::size_t(step)].Text; }
    bool CanUndo() const { return FDepth == 0 && FPos > 0; }
    bool CanRedo() const { return FDepth == 0 && FPos < Count(); }
    std::string UndoText() const { return CanUndo() ? Text(FPos - 1) : std::string(); }
    std::string RedoText() const { return CanRedo() ? Text(FPos) : std::string(); }
    bool Undo();
    bool Redo();
    // Undoes or redoes up to position (0..Count()).
    bool JumpTo(int position);

    // The document was written to its file at the current position.
    void MarkSaved();
    // The position last saved; -1 when none is reachable.
    int SavedPosition() const { return FSaved; }

    // Bytes held by the steps (for the memory budget).
    std::size_t MemoryBytes() const;

    // Text of the step recorded for changes made outside any step.
    static const char* const kOutsideText;

private:
    struct TStep
    {
        std::string Text;
        std::shared_ptr<const THeaderState> HeaderBefore, HeaderAfter; // null when unchanged
        std::shared_ptr<const TScaleState> ScaleBefore, ScaleAfter;
        bool CurveChanged = false;
        std::int32_t CurveStart = 0;
        std::vector<TPointRec> CurveBefore, CurveAfter;
        TCurveStats StatsBefore, StatsAfter;
        TViewState ViewBefore, ViewAfter;
    };
    void Sync();
    bool Record(const std::string& text, TDocState&& after);
    void Apply(const TStep& step, bool forward, bool fire);
    void SyncModified();

    TRChart& FDoc;
    TDocState FCurrent; // the document at FPos, as the history knows it
    std::vector<TStep> FSteps;
    int FPos = 0;
    int FSaved = -1;
    int FDepth = 0;
    std::string FText;
};

} // namespace rs
