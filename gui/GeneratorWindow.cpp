#include "GeneratorWindow.h"

#include "app/Program.h"
#include "gui/Pictures.h"
#include "platform/FileUtilities.h"
#include "sources/AffixFile.h"
#include "sources/CandidateFile.h"
#include "sources/NameListModel.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kExtensionCaptions[GeneratorChoices::kExtensionCount] = {
    QStringLiteral(".COM"),  QStringLiteral(".NET"),  QStringLiteral(".ORG"),
    QStringLiteral(".BIZ"),  QStringLiteral(".INFO"), QStringLiteral(".NAME"),
    QStringLiteral(".AERO"), QStringLiteral(".COOP"), QStringLiteral("Custom Extension:")};
const QString kAffixCaptions[3] = {QStringLiteral("Prefixes"), QStringLiteral("Suffixes"),
                                   QStringLiteral("Hyphens")};

// A box counts as chosen only when it is ticked; a grey box is not.
bool IsChosen(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked;
}

void ShowStoredValue(QCheckBox *box, const QString &stored)
{
    if (stored == QLatin1String("2")) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setCheckState(stored == QLatin1String("1") ? Qt::Checked : Qt::Unchecked);
    }
}

} // namespace

GeneratorWindow::GeneratorWindow(Program &program, QWidget *parent)
    : QWidget(parent, Qt::Window), m_program(program), m_affixes(new NameListModel(this)),
      m_generated(new NameListModel(this))
{
    setObjectName(QStringLiteral("frmMake"));
    setWindowTitle(QStringLiteral("Domain Name Creator"));
    setWindowIcon(QIcon(ProgramEmblem(64)));

    m_baseWordLabel = new QLabel(QStringLiteral("Base Word:"), this);
    m_baseWordLabel->setObjectName(QStringLiteral("Label1"));
    m_baseWordBox = new QLineEdit(this);
    m_baseWordBox->setObjectName(QStringLiteral("Text1"));
    m_baseWordBox->setToolTip(QStringLiteral("This word will appear in every domain created."));

    m_affixFrame = new QGroupBox(QStringLiteral("Prefixes/Suffixes"), this);
    m_affixFrame->setObjectName(QStringLiteral("Frame1"));
    m_affixList = new QListView(m_affixFrame);
    m_affixList->setObjectName(QStringLiteral("List2"));
    m_affixList->setModel(m_affixes);
    m_affixList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_affixLabel = new QLabel(QStringLiteral("Prefix/Suffix:"), m_affixFrame);
    m_affixLabel->setObjectName(QStringLiteral("Label2"));
    m_affixBox = new QLineEdit(m_affixFrame);
    m_affixBox->setObjectName(QStringLiteral("Text2"));
    m_addAffixButton = new QPushButton(QStringLiteral("Add"), m_affixFrame);
    m_addAffixButton->setObjectName(QStringLiteral("cmdAdd"));
    m_addAffixButton->setToolTip(QStringLiteral("Add your word."));
    m_deleteAffixButton = new QPushButton(QStringLiteral("Del"), m_affixFrame);
    m_deleteAffixButton->setObjectName(QStringLiteral("cmdSub"));
    m_deleteAffixButton->setToolTip(QStringLiteral("Remove the selected word."));
    auto *affixLayout = new QGridLayout(m_affixFrame);
    affixLayout->addWidget(m_affixList, 0, 0, 1, 4);
    affixLayout->addWidget(m_affixLabel, 1, 0);
    affixLayout->addWidget(m_affixBox, 1, 1);
    affixLayout->addWidget(m_addAffixButton, 1, 2);
    affixLayout->addWidget(m_deleteAffixButton, 1, 3);

    auto *options = new QGroupBox(this);
    options->setObjectName(QStringLiteral("Options"));
    auto *optionLayout = new QGridLayout(options);
    for (int i = 0; i < 3; ++i) {
        m_affixChoices.at(i) = new QCheckBox(kAffixCaptions[i], options);
        m_affixChoices.at(i)->setObjectName(QStringLiteral("chkAdd_%1").arg(i));
        optionLayout->addWidget(m_affixChoices.at(i), 0, i);
    }
    for (int i = 0; i < GeneratorChoices::kExtensionCount; ++i) {
        m_extensionChoices.at(i) = new QCheckBox(kExtensionCaptions[i], options);
        m_extensionChoices.at(i)->setObjectName(QStringLiteral("chkExt_%1").arg(i));
        optionLayout->addWidget(m_extensionChoices.at(i), 1 + i / 4, i % 4);
    }
    m_customExtensionBox = new QLineEdit(options);
    m_customExtensionBox->setObjectName(QStringLiteral("txtCustom"));
    optionLayout->addWidget(m_customExtensionBox, 3, 1, 1, 3);

    m_startButton = new QPushButton(PictureIcon(Picture::Start), QStringLiteral("Start Generator"), this);
    m_startButton->setObjectName(QStringLiteral("Command1"));
    m_startButton->setToolTip(QStringLiteral("Once you have a base word, click here to create your list!"));

    m_generatedFrame = new QGroupBox(QStringLiteral("Generated Domains"), this);
    m_generatedFrame->setObjectName(QStringLiteral("Frame2"));
    m_generatedList = new QListView(m_generatedFrame);
    m_generatedList->setObjectName(QStringLiteral("List1"));
    m_generatedList->setModel(m_generated);
    m_generatedList->setUniformItemSizes(true);
    m_generatedList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_saveButton = new QPushButton(QStringLiteral("Save Domains As..."), m_generatedFrame);
    m_saveButton->setObjectName(QStringLiteral("Command2"));
    m_saveButton->setToolTip(QStringLiteral("Save your list as a text file."));
    auto *generatedLayout = new QVBoxLayout(m_generatedFrame);
    generatedLayout->addWidget(m_generatedList);
    generatedLayout->addWidget(m_saveButton);

    m_statusLine = new QLineEdit(QStringLiteral("Status..."), this);
    m_statusLine->setObjectName(QStringLiteral("txtStatus"));
    m_statusLine->setReadOnly(true);

    auto *baseRow = new QHBoxLayout;
    baseRow->addWidget(m_baseWordLabel);
    baseRow->addWidget(m_baseWordBox);
    auto *left = new QVBoxLayout;
    left->addLayout(baseRow);
    left->addWidget(m_affixFrame, 1);
    left->addWidget(options);
    left->addWidget(m_startButton);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addWidget(m_generatedFrame, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(m_statusLine);
    resize(720, 520);

    // Load: the affixes, and every choice as last stored (ticked on a fresh installation).
    LoadAffixes();
    ProgramSettings &settings = m_program.settings();
    for (int i = 0; i < GeneratorChoices::kExtensionCount; ++i)
        ShowStoredValue(m_extensionChoices.at(i), settings.ExtensionChoice(i));
    for (int i = 0; i < 3; ++i)
        ShowStoredValue(m_affixChoices.at(i), settings.AffixChoice(i));
    m_baseWordBox->setText(settings.BaseWord());
    m_customExtensionBox->setText(settings.CustomExtension());

    for (int i = 0; i < GeneratorChoices::kExtensionCount; ++i) {
        QCheckBox *box = m_extensionChoices.at(i);
        connect(box, &QCheckBox::clicked, this, [this, box, i] {
            box->setTristate(false);
            m_program.settings().SetExtensionChoice(i, IsChosen(box));
        });
    }
    for (int i = 0; i < 3; ++i) {
        QCheckBox *box = m_affixChoices.at(i);
        connect(box, &QCheckBox::clicked, this, [this, box, i] {
            box->setTristate(false);
            m_program.settings().SetAffixChoice(i, IsChosen(box));
        });
    }
    connect(m_baseWordBox, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_program.settings().SetBaseWord(text); });
    connect(m_customExtensionBox, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_program.settings().SetCustomExtension(text); });
    connect(m_baseWordBox, &QLineEdit::returnPressed, this, &GeneratorWindow::Command1_Click);
    connect(m_affixBox, &QLineEdit::returnPressed, this, &GeneratorWindow::cmdAdd_Click);
    connect(m_addAffixButton, &QPushButton::clicked, this, &GeneratorWindow::cmdAdd_Click);
    connect(m_deleteAffixButton, &QPushButton::clicked, this, &GeneratorWindow::cmdSub_Click);
    connect(m_startButton, &QPushButton::clicked, this, &GeneratorWindow::Command1_Click);
    connect(m_saveButton, &QPushButton::clicked, this, &GeneratorWindow::Command2_Click);

    m_chooseSaveFile = [this](const QString &proposed, std::function<void(const QString &)> done) {
        auto *dialog = new QFileDialog(this, QStringLiteral("Save Domains As..."), proposed,
                                       QStringLiteral("Text files (*.txt)"));
        dialog->setObjectName(QStringLiteral("cmd1"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        // The answer comes back through the event loop; no second loop runs meanwhile.
        auto answered = std::make_shared<bool>(false);
        connect(dialog, &QFileDialog::fileSelected, this, [done, answered](const QString &file) {
            *answered = true;
            done(file);
        });
        connect(dialog, &QDialog::finished, this, [done, answered] {
            if (!*answered)
                done(QString());
        });
        dialog->open();
    };
}

GeneratorWindow::~GeneratorWindow() = default;

void GeneratorWindow::LoadAffixes()
{
    m_affixes->Reset(AffixFile(m_program.paths().appends()).Affixes());
}

void GeneratorWindow::ShowMessage(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("GeneratorMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void GeneratorWindow::cmdAdd_Click()
{
    const QString affix = m_affixBox->text();
    AffixFile(m_program.paths().appends()).Add(affix);
    m_affixes->Append(affix);
    m_affixBox->clear();
}

void GeneratorWindow::cmdSub_Click()
{
    const QModelIndex selected = m_affixList->currentIndex();
    if (!selected.isValid() || !m_affixList->selectionModel()->isSelected(selected)) {
        ShowMessage(QStringLiteral("You must first select an item to remove from the list."));
        return;
    }
    AffixFile(m_program.paths().appends()).Remove(selected.data().toString());
    m_affixes->Remove(selected.row());
    // No other affix becomes current or selected: a second "Del" only asks for a selection.
    m_affixList->selectionModel()->clear();
    m_affixList->setCurrentIndex(QModelIndex());
}

GeneratorChoices GeneratorWindow::Choices() const
{
    GeneratorChoices choices;
    choices.prefixes = IsChosen(m_affixChoices.at(0));
    choices.suffixes = IsChosen(m_affixChoices.at(1));
    choices.hyphens = IsChosen(m_affixChoices.at(2));
    for (int i = 0; i < GeneratorChoices::kExtensionCount; ++i)
        choices.extensions.at(i) = IsChosen(m_extensionChoices.at(i));
    choices.customExtension = m_customExtensionBox->text();
    return choices;
}

void GeneratorWindow::SetInputsEnabled(bool enabled)
{
    for (QCheckBox *box : m_extensionChoices)
        box->setEnabled(enabled);
    for (QCheckBox *box : m_affixChoices)
        box->setEnabled(enabled);
    for (QWidget *widget :
         std::initializer_list<QWidget *>{m_customExtensionBox, m_baseWordBox, m_affixBox, m_startButton,
                                          m_saveButton, m_addAffixButton, m_deleteAffixButton})
        widget->setEnabled(enabled);
}

void GeneratorWindow::Command1_Click()
{
    if (m_generator)
        return;
    if (m_baseWordBox->text().trimmed().isEmpty()) {
        m_statusLine->setText(QStringLiteral("Nothing to check: type a base word first; every name is made from it."));
        return;
    }
    SetInputsEnabled(false);
    // A missing affix file gives no names, and the hand-over still happens.
    const QStringList lines = AffixFile(m_program.paths().appends()).Lines().value_or(QStringList());
    m_generator = std::make_unique<NameGenerator>(m_baseWordBox->text(), lines, Choices());
    GenerateStep();
}

void GeneratorWindow::GenerateStep()
{
    m_generated->Append(m_generator->Step());
    if (!m_generator->finished()) {
        m_statusLine->setText(m_generator->ProgressText());
        QTimer::singleShot(0, this, &GeneratorWindow::GenerateStep);
        return;
    }
    m_statusLine->setText(QStringLiteral("Created ") + QString::number(m_generator->createdCount()) +
                          QStringLiteral(" domains...  Sorting..."));
    QTimer::singleShot(0, this, &GeneratorWindow::WriteAndHandOver);
}

void GeneratorWindow::WriteAndHandOver()
{
    const int created = m_generator->createdCount();
    m_generator.reset();
    const QString path = m_program.paths().createdDomains();
    const bool written =
        CandidateFile::Write(path, m_generated->names(), CandidateFile::Spacing::BlankLineAfterEach);
    SetInputsEnabled(true);
    if (!written) {
        m_statusLine->setText(QStringLiteral("Created ") + QString::number(created) +
                              QStringLiteral(" domains...  The list cannot be written to ") + path);
        emit generationFinished(created);
        return;
    }
    m_program.controls().setTotal(QString::number(created));
    if (created == 0) {
        m_statusLine->setText(
            QStringLiteral("Created 0 domains...  Nothing to check: tick an extension or a custom extension."));
        emit generationFinished(created);
        return;
    }
    m_statusLine->setText(QStringLiteral("Created ") + QString::number(created) +
                          QStringLiteral(" domains...  Search Started"));
    emit generationFinished(created);
    QTimer::singleShot(0, this, &GeneratorWindow::searchRequested);
}

void GeneratorWindow::Command2_Click()
{
    const QString folder = m_program.paths().customLists();
    QDir().mkpath(folder); // the dialog opens there, so it must exist
    const QString proposed = folder + QLatin1Char('/') + m_baseWordBox->text() + QStringLiteral(".txt");
    m_chooseSaveFile(proposed, [this](const QString &chosen) {
        if (!chosen.isEmpty()) // cancelled: nothing is copied
            CopyFileOver(m_program.paths().createdDomains(), chosen);
    });
}
