#pragma once
// The folder summaries window "Resumos dos arquivos de dados": every data file
// of a folder tree, one row per file read from its header record only; the
// selected file loaded for the status panels and its miniature. Closing the
// window frees it; its folders and bounds are kept in the settings file.

#include "tools/uExplorerScan.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class QTreeView;

namespace rs {

class TRChart;

// The rows as a table, cells converted once per request (fast for large lists).
class TExplorerModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void SetRows(std::vector<TExplorerRow> rows);
    const std::vector<TExplorerRow>& Rows() const { return FRows; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TExplorerRow> FRows;
};

class TExplorerBox;

class TExplorer : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxFolders = 10;
    static constexpr int kMaxOpen = 6;
    static constexpr int kDesignWidth = 760, kDesignHeight = 520, kBoxHeight = 120;

    // The chart window operations the window uses; by default the chart windows' own.
    struct THooks
    {
        // Brings the window showing the file to the front; false when none shows it.
        std::function<bool(const std::string& fileName)> ShowOpen;
        // Opens the file in a new chart window (and adds it to the recent files); true when opened.
        std::function<bool(const std::string& fileName)> Open;
    };

    explicit TExplorer(const std::string& iniFileName, THooks hooks = {}, QWidget* parent = nullptr);
    ~TExplorer() override;

    // Scans the folder in the folder box's text.
    void Scan();
    void ScanFolder(const QString& folder);
    void StopScan() { FStop = true; }
    bool Scanning() const { return FScanning; }

    void CopyList(bool selectedOnly);
    void OpenSelected();
    // Only the traced charts not yet reviewed, lowest confidence first; off: every chart.
    void SetReviewList(bool on);
    bool ReviewList() const { return FReviewList; }
    void SetStayOnTop(bool on);

    QStringList RecentFolders() const;
    const std::vector<TExplorerRow>& Rows() const { return FModel->Rows(); }
    std::vector<int> SelectedRows() const;
    QString PanelText(int i) const;
    const TRChart* Preview() const { return FPreview.get(); }
    int LowerHeight() const;
    void SetLowerHeight(int h);

    QComboBox* cbFolder = nullptr;
    QToolButton* btOpen = nullptr;
    QTreeView* ListView = nullptr;
    QLabel* lbFileCnt = nullptr;
    TExplorerBox* Box = nullptr;
    QAction* mnCopyList = nullptr;
    QAction* mnCopySelList = nullptr;
    QAction* mnOpen = nullptr;
    QAction* mnStayOnTop = nullptr;
    QAction* mnReview = nullptr;
    QMenu* Menu = nullptr;

    // Told every ~200 files read during a scan (tests stop the scan here).
    std::function<void(int filesRead)> OnScanProgress;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* e) override;

private:
    void KeepLowerHeight();
    void LoadSettings();
    void SaveSettings();
    void BrowseFolder();
    void AddRecentFolder(const QString& folder);
    void SelectionChanged();
    void ShowMenu(const QPoint& globalPos);
    void ShowRows();

    friend class TExplorerBox;
    std::string FIniFileName;
    THooks FHooks;
    TExplorerModel* FModel = nullptr;
    QSplitter* FSplitter = nullptr;
    QLabel* FPanels[4] = {};
    std::unique_ptr<TRChart> FPreview;
    bool FScanning = false;
    bool FStop = false;
    std::vector<TExplorerRow> FAllRows; // the scan's rows; the model shows them or the review list
    bool FReviewList = false;
};

// The white drawing of the selected chart's curve.
class TExplorerBox : public QWidget
{
    Q_OBJECT
public:
    explicit TExplorerBox(TExplorer* owner);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TExplorer* FOwner;
};

} // namespace rs
