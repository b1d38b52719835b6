#pragma once
// Every threshold of the automatic trace, in chart units (mm of rain, minutes
// of time), never in pixels: the same numbers hold at 100 and at 600 dpi.

namespace rs::trace {

struct TTraceParams
{
    // Chart space: one column per ColumnMinutes, one row per RowMm, from
    // MarginMm below 0 mm to MarginMm above 10 mm.
    double ColumnMinutes = 0.5;
    double RowMm = 0.02;
    double MarginMm = 0.3;
    double TopMm = 10.0;

    // Ink: a pixel scores 1 when it is as far from the paper, in the ink's
    // direction, as the strongest ink of the chart.
    double InkReferencePercentile = 99.0; // of the cells of the printed area
    double InkReferenceFloor = 6.0;       // Lab units
    // Blots far thicker than the pen (punch holes, stamps, heavy print) are removed:
    // what survives an opening this long and this tall.
    double BlotMinutes = 6.0;
    double BlotMm = 0.2;
    // Grey and 1-bit scans: a row or column whose score stays this high over
    // this share of the chart is a printed line, not the pen.
    double PrintedLineShare = 0.7;
    double PrintedRowMm = 0.05; // thicker than a printed row (but the frame's), thinner than a flat pen line on one

    // The path: costs per column and per mm.
    double RiseCostPerMm = 0.4;
    double BlankRiseCostPerMm = 12.0; // added for each mm climbed where the column has no ink
    double SteepRiseMm = 1.0;          // more than this in one column is steeper than rain draws
    double SteepRiseCostPerMm = 2.0;   // added for each mm beyond it
    double DeclineCostPerMm = 40.0;
    double SiphonCost = 18.0;
    double BlankSiphonCost = 40.0; // added in full for a drop with no ink down its time line
    double SiphonTopMm = 8.0;    // a siphon starts at or above this reading
    double SiphonBottomMm = 2.0; // and ends at or below this one
    double RefineMm = 0.12;      // the ink's centre is looked for this far around the path
    double RefineRunMm = 1.5;    // and its run of ink followed this far up and down
    double SteepReadMm = 0.15;        // a rise steeper than this per column is read row by row
    double SteepWindowMinutes = 2.0;  // the ink of a row is looked for this far from the path

    // Ink along the path.
    double WeakInk = 0.22;          // below this a column has no ink under the path
    double FrameInk = 0.55;         // ... and below this on a grey chart's removed frame line
    double GreyWeakInk = 0.4;       // ... and below this anywhere on a grey chart: what the print leaves
    double StartRunMinutes = 6.0;   // the record starts with this much ink in a row
    double FalseStartMinutes = 30.0; // a doubtful drop this soon after the start ends a false start
    double BridgeMinutes = 20.0;    // gaps up to this long are bridged
    double FlatGapMm = 0.15;        // a longer gap this flat is a dry stretch hidden by the grid
    double FailureMinutes = 50.0;   // ... unless this long with no ink at all on a coloured grid
    double GreyFailureMinutes = 90.0; // or this long on a grey one
    double EmptyInk = 0.1;          // a column with no ink scores below this near the path
    double UnsureGapMinutes = 6.0;  // a bridged gap this long is reported
    double AmbiguousRatio = 0.85;   // another line this strong is a second candidate
    double AmbiguousAwayMm = 0.4;   // at least this far from the path
    double AmbiguousMinutes = 20.0; // over this long
    double DropInkShare = 0.35;     // a siphon drop with less ink along it is doubtful
    double DropReachMm = 1.5;       // the ink of a drop's ends is looked for this far from the path
    double PenHalfWidthMm = 0.03;   // half the pen line's thickness, in mm of reading

    // Faint climbs found by their length (for a later record over a flat one): darkness
    // summed along lines this long each way, against parallel lines this far to each side,
    // at the slopes of rains from LineMinRate to LineMaxRate (mm/h). A line counts from
    // LineZ spreads above the chart's typical response and fully LineSpanZ further on.
    double LineHalfMm = 1.0;
    double LineSideMinutes = 2.0;
    double LineMinRate = 1.0;
    double LineMaxRate = 16.0;
    double LineZ = 3.0;
    double LineSpanZ = 1.5;
    int LineStackPieces = 4;   // a time with this many separate pieces above each other is figures or writing

    // A later record over a flat stretch (a chart left on the drum a second day): the flat
    // stretch this long at least, with rising lines above it for this long, traced again
    // with the flat line's ink taken away; kept when the new record climbs this much on ink.
    double LaterFlatHours = 2.0;
    double LaterEndHours = 0.5;       // the flat stretch runs to this near the chart's end
    double LaterClimbHours = 2.0;
    double LaterReachMinutes = 30.0;  // rising lines this close together belong to one record
    double LaterBandMm = 0.12;        // the flat line's ink weakened this far from it
    double LaterBandInk = 0.35;       // to this: riding it a while is cheaper than a leap, for hours dearer than climbs
    double LaterRiseMm = 2.0;         // the new record climbs at least this much
    double LaterInkShare = 0.6;       // on ink over this share of its columns and of its climb
    double LaterBlankRiseCostPerMm = 2.0;  // a faint climb's missing stretches

    // Simplification: a point is kept where the curve bends away from the chord by more than this.
    double SimplifyMm = 0.025;
};

} // namespace rs::trace
