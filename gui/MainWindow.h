#pragma once

#include "app/MessageQueue.h"
#include "gui/Layouts.h"
#include "gui/RunController.h"

#include <QMainWindow>

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

    // List actions.
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
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLabel *Label6 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *wLabel1 = nullptr;
    QLineEdit *txtWordNum = nullptr;
    QLabel *wLabel2 = nullptr;
    QLineEdit *txtWordMax = nullptr;
    QToolButton *cmdDoSearch = nullptr;
    QToolButton *Command3 = nullptr;
    QLabel *sLabel1 = nullptr;
    QLineEdit *txtSearch = nullptr;
    QLabel *SLabel2 = nullptr;
    QComboBox *Combo2 = nullptr;
    QToolButton *cmdCreate = nullptr;
    QToolButton *cmdSetup = nullptr;
    QToolButton *cmdWebsite = nullptr;
    std::array<QLabel *, 6> Label{};          // headings
    std::array<ResultListView *, 6> List{};   // lists
    std::array<QToolButton *, 6> cmdCopy{};   // "Copy"
    std::array<QToolButton *, 6> cmdClear{};  // "Del"
    std::array<QToolButton *, 6> cmdClear2{}; // "Clear"
    QStatusBar *StatusBar1 = nullptr;
    std::array<QLabel *, 3> panels{};
    // How many names of the last run got no verdict, and where they are kept.
    QLabel *uncheckedPanel = nullptr;
    QLabel *pacedPanel = nullptr; // the hosts asked slower than their limit, while a run goes
    QLabel *dnsPanel = nullptr;   // what the DNS pre-check settled, from a run's first DNS answer
    QAction *mnuOptionsDns = nullptr;
    std::array<QAction *, 10> mnuEditItem{};
    std::array<QAction *, 9> mnuToolsItem{};

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void ShowNextError();
    void BuildMenus();
    void BuildFrame1();
    void BuildFrame2();
    void BuildStatusBar();
    void ConnectState();
    void ShowControls();
    void ShowUncheckedCount(int count);
    void ShowPacedHosts();
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
