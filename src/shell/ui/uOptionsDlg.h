#pragma once
// TOptionsDlg, "Preferências": the colours of the chart drawing, the tablet
// buttons of the four tablet tasks, whether a new pluviogram closes the open
// ones and how many recent files the "&Arquivo" menu lists.
//
// The dialog works on a copy of the preferences; only an OK that passes the
// checks puts them in force, so "Cancelar" always leaves everything as it
// was. A tablet button is assigned by clicking it while the task list has the
// focus; the swap button, which the tablet never reports as a click, is caught
// by refusing the swap it asks for.

#include "common/uGlobal.h"
#include "shell/uOptions.h"

#include <QColor>
#include <QDialog>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPainter;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace rs {

class TTablet;

QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

// The 250 x 94 preview of the chart colours: grid, a curve with a siphon
// overflow, on the background colour.
class TColorPreview : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 250;
    static constexpr int kHeight = 94;

    explicit TColorPreview(QWidget* parent = nullptr);
    void SetColors(TColor background, TColor grid, TColor curve);
    // Paints the preview with its top-left corner at the painter's origin.
    static void Paint(QPainter& p, TColor background, TColor grid, TColor curve);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TColor FBackground = 0, FGrid = 0, FCurve = 0;
};

// A 22 x 22 colour swatch; a click asks for a new colour.
class TColorSwatch : public QWidget
{
    Q_OBJECT
public:
    explicit TColorSwatch(QWidget* parent = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor c);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    TColor FColor = 0;
};

class TOptionsDlg : public QDialog
{
    Q_OBJECT
public:
    // The platform's colour dialog, preset to a colour; true with the chosen
    // one on OK. Replaceable so tests can script the choice.
    using TColorChooser = std::function<bool(QWidget* parent, QColor& color)>;
    static TColorChooser& ColorChooser();
    static bool PlatformChooseColor(QWidget* parent, QColor& color);

    explicit TOptionsDlg(QWidget* parent = nullptr);
    ~TOptionsDlg() override;

    // Created for the call, shown modally, freed afterwards; true on OK, when
    // the new preferences are in force (Options(), the tablet's swap button).
    static bool Execute(QWidget* parent = nullptr);

    // The working values the controls show (tests and the tablet handlers).
    const TPreferencesEdit& Working() const { return FEdit; }
    TTablet& Tablet() const { return *FTablet; }

    // A tablet button clicked (not the swap button): assigned to the selected
    // task only while the task list has the focus.
    void TabletButtonClick(int button);
    // The swap button released: assigned to the selected task whatever has
    // the focus; the swap is refused.
    void TabletBeforeSwap(bool& canSwap);

    QTabWidget* Pages = nullptr;
    QWidget* tsGeneral = nullptr;
    QWidget* tsColors = nullptr;
    QComboBox* cbTasks = nullptr;
    QLabel* lbButton = nullptr;
    QCheckBox* cbCloseFiles = nullptr;
    QSpinBox* seMaxFiles = nullptr;
    TColorPreview* Box = nullptr;
    TColorSwatch* pnBkGrd = nullptr;
    TColorSwatch* pnGrid = nullptr;
    TColorSwatch* pnCurve = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

public slots:
    void btOKClick();
    void cbTasksChange(int index);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void BuildGeneralPage();
    void BuildColorsPage();
    void ShowButton();
    void SwatchClick(TColorSwatch* swatch);
    void UpdatePreview();

    TPreferencesEdit FEdit;
    std::unique_ptr<TTablet> FTablet;
    bool FShownOnce = false;
};

} // namespace rs
