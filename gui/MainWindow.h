#pragma once

#include "app/MessageQueue.h"
#include "gui/Layouts.h"
#include "app/RunController.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <optional>

class Program;
class ProgramWindows;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QStatusBar;
class QToolButton;
class ResultListView;
enum class ResultList;

// The main window: the source and search controls across the top, the five result lists below
// them, the status bar, and the menus. It shows the state of the program (engine, result lists,
// source controls) and passes the user's actions on to it.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(Program &program, ProgramWindows &windows, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: captions, data files and folders, kept names, whois table,
    // positions and proxy switch. Runs once, before the window is first shown.
    void Load();

    RunController &runs() { return m_runs; }
    std::optional<ResultList> lastClickedList() const { return m_lastClickedList; }
    // The geometry last applied, in twips.
    const MainWindowLayout &appliedLayout() const { return m_layout; }
    // What the controls need at the platform's font, and the smallest size at which they all
    // fit, in twips.
    const MainWindowFit &fit() const { return m_fit; }
    const MainWindowMinimum &minimumInTwips() const { return m_minimum; }

    // m_lists actions.
    void Copy(ResultList list);
    void Del(ResultList list);
    // Clears a list; "Saved Domains" asks first, because its file goes with it.
    void Clear(ResultList list);
    void OpenCurrentName(ResultList list);
    void DropOnSaved(const QString &payload);
    void ListClicked(ResultList list);
    // A message the user is to see; one at a time, without blocking.
    void ShowError(const QString &title, const QString &text);

    // Controls, named as the program names them. Arrays are indexed as the control arrays are,
    // by ControlIndex() of a list (1 to 5).
    QGroupBox *m_sourceFrame = nullptr;
    QGroupBox *m_listsFrame = nullptr;
    QLabel *m_sourceLabel = nullptr;
    QComboBox *m_sourceBox = nullptr;
    QLabel *m_startNumberLabel = nullptr;
    QLineEdit *m_startNumberBox = nullptr;
    QLabel *m_totalLabel = nullptr;
    QLineEdit *m_totalBox = nullptr;
    QToolButton *m_startButton = nullptr;
    QToolButton *m_stopButton = nullptr;
    QLabel *m_searchTextLabel = nullptr;
    QLineEdit *m_searchTextBox = nullptr;
    QLabel *m_harvestSizeLabel = nullptr;
    QComboBox *m_harvestSizeBox = nullptr;
    QToolButton *m_searchButton = nullptr;
    QToolButton *m_setupButton = nullptr;
    QToolButton *m_websiteButton = nullptr;
    std::array<QLabel *, 6> m_headings{};           // headings
    std::array<ResultListView *, 6> m_lists{};      // lists
    std::array<QToolButton *, 6> m_copyButtons{};   // "Copy"
    std::array<QToolButton *, 6> m_deleteButtons{}; // "Del"
    std::array<QToolButton *, 6> m_clearButtons{};  // "Clear"
    QStatusBar *m_statusBar = nullptr;
    std::array<QLabel *, 3> m_panels{};
    // How many names of the last run got no verdict, and where they are kept.
    QLabel *m_uncheckedPanel = nullptr;
    QLabel *m_pacedPanel = nullptr; // the hosts asked slower than their limit, while a run goes
    QLabel *m_dnsPanel = nullptr;   // what the DNS pre-check settled, from a run's first DNS answer
    QLabel *m_speedPanel = nullptr; // names a second and the time left, while a run goes
    QTimer m_speedTimer;
    QAction *m_dnsFirstItem = nullptr;
    std::array<QAction *, 10> m_editItems{};
    std::array<QAction *, 9> m_toolsItems{};

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void ShowNextError();
    void BuildMenus();
    // The source controls ("Frame1") and the five result lists ("Frame2").
    void BuildSourceFrame();
    void BuildListsFrame();
    void BuildStatusBar();
    void ConnectState();
    void ShowControls();
    void ShowUncheckedCount();
    int m_shownHeld = 0; // free names waiting for a control query, as the status bar shows them
    void ShowPacedHosts();
    void ShowSpeed();
    void ExportResults();
    void MeasureFit();
    void ApplyLayout();
    void ChooseCustomList(const QString &startFolder, std::function<void(std::optional<QString>)> chosen);
    ResultListView *ListView(ResultList list) const;

    Program &m_program;
    ProgramWindows &m_windows;
    RunController m_runs;
    std::optional<ResultList> m_lastClickedList;
    bool m_closed = false;
    MainWindowLayout m_layout;
    MainWindowFit m_fit;
    MainWindowMinimum m_minimum;
    QMessageBox *m_errorBox = nullptr;
    MessageQueue m_messages; // waiting for m_errorBox
};
