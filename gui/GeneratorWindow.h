#pragma once

#include "sources/NameGenerator.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class NameListModel;
class Program;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

// "Domain Name Creator": builds candidate names from a base word, the kept affixes and the
// chosen extensions, writes them to "CreatedDomains.txt" and starts a search over them.
//
// Generation runs in steps from the event loop, so the window (and a running search) stay
// responsive while many thousands of names are made.
class GeneratorWindow : public QWidget
{
    Q_OBJECT
public:
    // Asks for the file to save to, starting at the proposed path, and calls back with the
    // answer (empty when cancelled); the answer may come later, from the event loop.
    using SaveFileChooser =
        std::function<void(const QString &proposedPath, std::function<void(const QString &chosen)> done)>;

    explicit GeneratorWindow(Program &program, QWidget *parent = nullptr);
    ~GeneratorWindow() override;

    // The save dialog; tests put their own chooser here.
    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseSaveFile = std::move(chooser); }

    void cmdAdd_Click();
    void cmdSub_Click();
    void Command1_Click(); // "Start Generator"
    void Command2_Click(); // "Save Domains As..."
    bool isGenerating() const { return m_generator != nullptr; }
    const NameListModel &generatedNames() const { return *m_generated; }
    const NameListModel &affixes() const { return *m_affixes; }

    QLabel *m_baseWordLabel;
    QLineEdit *m_baseWordBox;
    QGroupBox *m_affixFrame;
    QListView *m_affixList;
    QLabel *m_affixLabel;
    QLineEdit *m_affixBox;
    QPushButton *m_addAffixButton;
    QPushButton *m_deleteAffixButton;
    std::array<QCheckBox *, 3> m_affixChoices{};
    std::array<QCheckBox *, 9> m_extensionChoices{};
    QLineEdit *m_customExtensionBox;
    QPushButton *m_startButton;
    QGroupBox *m_generatedFrame;
    QListView *m_generatedList;
    QPushButton *m_saveButton;
    QLineEdit *m_statusLine;

signals:
    // The generation is written; the main window is to press Start.
    void searchRequested();
    void generationFinished(int created);

private:
    void LoadAffixes();
    void SetInputsEnabled(bool enabled);
    GeneratorChoices Choices() const;
    void GenerateStep();
    void WriteAndHandOver();
    void ShowMessage(const QString &text);

    Program &m_program;
    NameListModel *m_affixes;
    NameListModel *m_generated;
    std::unique_ptr<NameGenerator> m_generator;
    SaveFileChooser m_chooseSaveFile;
};
