#pragma once

#include "history/HistoryStore.h"
#include "run/Navigation.h"

#include <QWidget>
#include <functional>
#include <memory>

class LineSampler;
class PageTable;
class PageTrace;
class QChartView;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class RouterProfile;
class WatchRunHost;

// What the history window needs from the main window: the data folder, the profile and page table
// of the class in use, and the router's address and log-in as the fields hold them when watching
// starts.
struct HistoryWindowSetup
{
    QString strFolder;
    const RouterProfile* profile = nullptr;
    const PageTable* pages = nullptr;
    const PageTrace* trace = nullptr;
    std::function<RouterLogin()> login;
};

// The line history of the router in the main window's fields: the plot of the last hour, day,
// week or all of it, export as PNG, and a watch that can be started and stopped here (closing the
// window stops it, with a log-out). Built without Qt Charts, it shows the summary and the samples
// of the range as text, and exports them as CSV.
class HistoryWindow : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryWindow)

public:
    explicit HistoryWindow(HistoryWindowSetup setup, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    static QString Caption() { return QStringLiteral("Line history"); }

    // Reads the store again and draws the chosen range.
    void Reload();
    void StartWatching();
    void StopWatching();
    // Stops a watch under way and waits for its log-out (bounded as the watch bounds it), so that
    // nothing is left logged in when the window, or the main window, goes away.
    void EndWatching();
    bool Watching() const;
    // Saves the plot as it stands as PNG (without Qt Charts: the range's samples as CSV); false
    // when the file cannot be written.
    bool Export(const QString& strFile);
#ifdef QUORVANE_HISTORY_PLOT
    QChartView* ChartView() const
    {
        return m_chartView;
    }
#else
    QPlainTextEdit* TextView() const
    {
        return m_txtHistory;
    }
#endif
    // The file chooser of the export; tests answer it.
    void SetExportFileChooser(std::function<QString()> chooser)
    {
        m_chooseExportFile = std::move(chooser);
    }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    RouterKey Key() const;
    QDateTime RangeStart() const;
    void UpdateWatchButton();

    HistoryWindowSetup m_setup;
    HistoryStore m_store;
    std::unique_ptr<WatchRunHost> m_host;
    std::unique_ptr<LineSampler> m_sampler;
    QChartView* m_chartView = nullptr;
    QPlainTextEdit* m_txtHistory = nullptr;
    QLabel* lblHistory = nullptr;
    QRadioButton* optHour = nullptr;
    QRadioButton* optDay = nullptr;
    QRadioButton* optWeek = nullptr;
    QRadioButton* optAll = nullptr;
    QCheckBox* chkInReport = nullptr;
    QPushButton* cmdWatch = nullptr;
    QPushButton* cmdExport = nullptr;
    std::function<QString()> m_chooseExportFile;
};

// Gives the main window its way to the history: a "Line history..." entry in the context menu of
// pAnchor (the status line) and the shortcut Ctrl+H on pWindow. setup is asked each time the
// window opens, so it sees the class and fields of that moment.
void AttachHistoryWindow(QWidget* pWindow, QWidget* pAnchor, std::function<HistoryWindowSetup()> setup);
