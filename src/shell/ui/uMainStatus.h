#pragma once
// The main window's status bar: four text panels, a single-text mode for
// hints, and the tablet-mode label at its right end.

#include <QStatusBar>

class QLabel;

namespace rs {

class TMainStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int kPanels = 4;

    explicit TMainStatusBar(QWidget* parent = nullptr);

    // One text over the whole bar.
    void SetSimpleText(const QString& text);
    bool IsSimple() const { return FSimple; }
    QString SimpleText() const;
    void SetSimple(bool simple);

    // index < 0 empties every panel; a non-empty text gets a blank on each side
    // and its panel the text's width plus 8 pixels. Always switches to panel mode.
    void SetPanel(const QString& text, int index);
    QString PanelText(int index) const;
    int PanelWidth(int index) const;

    QLabel* ModeLabel() const { return FMode; }
    // 0 absolute ("ABS", green), 1 relative ("REL", black).
    void SetMode(int mode);

private:
    QLabel* FSimpleLabel = nullptr;
    QLabel* FPanels[kPanels] = {};
    QLabel* FFiller = nullptr;
    QLabel* FMode = nullptr;
    bool FSimple = false;
};

} // namespace rs
