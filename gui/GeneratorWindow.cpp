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

    Label1 = new QLabel(QStringLiteral("Base Word:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("This word will appear in every domain created."));

    Frame1 = new QGroupBox(QStringLiteral("Prefixes/Suffixes"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    List2 = new QListView(Frame1);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setModel(m_affixes);
    List2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Label2 = new QLabel(QStringLiteral("Prefix/Suffix:"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Text2 = new QLineEdit(Frame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    cmdAdd = new QPushButton(QStringLiteral("Add"), Frame1);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setToolTip(QStringLiteral("Add your word."));
    cmdSub = new QPushButton(QStringLiteral("Del"), Frame1);
    cmdSub->setObjectName(QStringLiteral("cmdSub"));
    cmdSub->setToolTip(QStringLiteral("Remove the selected word."));
    auto *affixLayout = new QGridLayout(Frame1);
    affixLayout->addWidget(List2, 0, 0, 1, 4);
    affixLayout->addWidget(Label2, 1, 0);
    affixLayout->addWidget(Text2, 1, 1);
    affixLayout->addWidget(cmdAdd, 1, 2);
    affixLayout->addWidget(cmdSub, 1, 3);

    auto *options = new QGroupBox(this);
    options->setObjectName(QStringLiteral("Options"));
    auto *optionLayout = new QGridLayout(options);
    for (int i = 0; i < 3; ++i) {
        chkAdd.at(i) = new QCheckBox(kAffixCaptions[i], options);
        chkAdd.at(i)->setObjectName(QStringLiteral("chkAdd_%1").arg(i));
        optionLayout->addWidget(chkAdd.at(i), 0, i);
    }
    for (int i = 0; i < GeneratorChoices::kExtensionCount; ++i) {
        chkExt.at(i) = new QCheckBox(kExtensionCaptions[i], options);
        chkExt.at(i)->setObjectName(QStringLiteral("chkExt_%1").arg(i));
        optionLayout->addWidget(chkExt.at(i), 1 + i / 4, i % 4);
    }
    txtCustom = new QLineEdit(options);
    txtCustom->setObjectName(QStringLiteral("txtCustom"));
    optionLayout->addWidget(txtCustom, 3, 1, 1, 3);

    Command1 = new QPushButton(PictureIcon(Picture::Start), QStringLiteral("Start Generator"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setToolTip(QStringLiteral("Once you have a base word, click here to create your list!"));

    Frame2 = new QGroupBox(QStringLiteral("Generated Domains"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    List1 = new QListView(Frame2);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setModel(m_generated);
    List1->setUniformItemSizes(true);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Command2 = new QPushButton(QStringLiteral("Save Domains As..."), Frame2);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setToolTip(QStringLiteral("Save your list as a text file."));
    auto *generatedLayout = new QVBoxLayout(Frame2);
    generatedLayout->addWidget(List1);
    generatedLayout->addWidget(Command2);

    txtStatus = new QLineEdit(QStringLiteral("Status..."), this);
    txtStatus->setObjectName(QStringLiteral("txtStatus"));
    txtStatus->setReadOnly(true);

    auto *baseRow = new QHBoxLayout;
    baseRow->addWidget(Label1);
    baseRow->addWidget(Text1);
    auto *left = new QVBoxLayout;
    left->addLayout(baseRow);
    left->addWidget(Frame1, 1);
    left->addWidget(options);
    left->addWidget(Command1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addWidget(Frame2, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(txtStatus);
    resize(720, 520);

    // Load: the affixes, and every choice as last stored (ticked on a fresh installation).
    LoadAffixes();
    ProgramSettings &settings = m_program.settings();
    for (int i = 0; i < GeneratorChoices::kExtensionCount; ++i)
        ShowStoredValue(chkExt.at(i), settings.ExtensionChoice(i));
    for (int i = 0; i < 3; ++i)
        ShowStoredValue(chkAdd.at(i), settings.AffixChoice(i));
    Text1->setText(settings.BaseWord());
    txtCustom->setText(settings.CustomExtension());

    for (int i = 0; i < GeneratorChoices::kExtensionCount; ++i) {
        QCheckBox *box = chkExt.at(i);
        connect(box, &QCheckBox::clicked, this, [this, box, i] {
            box->setTristate(false);
            m_program.settings().SetExtensionChoice(i, IsChosen(box));
        });
    }
    for (int i = 0; i < 3; ++i) {
        QCheckBox *box = chkAdd.at(i);
        connect(box, &QCheckBox::clicked, this, [this, box, i] {
            box->setTristate(false);
            m_program.settings().SetAffixChoice(i, IsChosen(box));
        });
    }
    connect(Text1, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_program.settings().SetBaseWord(text); });
    connect(txtCustom, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_program.settings().SetCustomExtension(text); });
    connect(Text1, &QLineEdit::returnPressed, this, &GeneratorWindow::Command1_Click);
    connect(Text2, &QLineEdit::returnPressed, this, &GeneratorWindow::cmdAdd_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &GeneratorWindow::cmdAdd_Click);
    connect(cmdSub, &QPushButton::clicked, this, &GeneratorWindow::cmdSub_Click);
    connect(Command1, &QPushButton::clicked, this, &GeneratorWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &GeneratorWindow::Command2_Click);

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
    const QString affix = Text2->text();
    AffixFile(m_program.paths().appends()).Add(affix);
    m_affixes->Append(affix);
    Text2->clear();
}

void GeneratorWindow::cmdSub_Click()
{
    const QModelIndex selected = List2->currentIndex();
    if (!selected.isValid() || !List2->selectionModel()->isSelected(selected)) {
        ShowMessage(QStringLiteral("You must first select an item to remove from the list."));
        return;
    }
    AffixFile(m_program.paths().appends()).Remove(selected.data().toString());
    m_affixes->Remove(selected.row());
    // No other affix becomes current or selected: a second "Del" only asks for a selection.
    List2->selectionModel()->clear();
    List2->setCurrentIndex(QModelIndex());
}

GeneratorChoices GeneratorWindow::Choices() const
{
    GeneratorChoices choices;
    choices.prefixes = IsChosen(chkAdd.at(0));
    choices.suffixes = IsChosen(chkAdd.at(1));
    choices.hyphens = IsChosen(chkAdd.at(2));
    for (int i = 0; i < GeneratorChoices::kExtensionCount; ++i)
        choices.extensions.at(i) = IsChosen(chkExt.at(i));
    choices.customExtension = txtCustom->text();
    return choices;
}

void GeneratorWindow::SetInputsEnabled(bool enabled)
{
    for (QCheckBox *box : chkExt)
        box->setEnabled(enabled);
    for (QCheckBox *box : chkAdd)
        box->setEnabled(enabled);
    for (QWidget *widget :
         std::initializer_list<QWidget *>{txtCustom, Text1, Text2, Command1, Command2, cmdAdd, cmdSub})
        widget->setEnabled(enabled);
}

void GeneratorWindow::Command1_Click()
{
    if (m_generator)
        return;
    SetInputsEnabled(false);
    // A missing affix file gives no names, and the hand-over still happens.
    const QStringList lines = AffixFile(m_program.paths().appends()).Lines().value_or(QStringList());
    m_generator = std::make_unique<NameGenerator>(Text1->text(), lines, Choices());
    GenerateStep();
}

void GeneratorWindow::GenerateStep()
{
    m_generated->Append(m_generator->Step());
    if (!m_generator->finished()) {
        txtStatus->setText(m_generator->ProgressText());
        QTimer::singleShot(0, this, &GeneratorWindow::GenerateStep);
        return;
    }
    txtStatus->setText(QStringLiteral("Created ") + QString::number(m_generator->createdCount()) +
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
        txtStatus->setText(QStringLiteral("Created ") + QString::number(created) +
                           QStringLiteral(" domains...  The list cannot be written to ") + path);
        emit generationFinished(created);
        return;
    }
    m_program.controls().setTotal(QString::number(created));
    txtStatus->setText(QStringLiteral("Created ") + QString::number(created) +
                       QStringLiteral(" domains...  Search Started"));
    emit generationFinished(created);
    QTimer::singleShot(0, this, &GeneratorWindow::searchRequested);
}

void GeneratorWindow::Command2_Click()
{
    const QString folder = m_program.paths().customLists();
    QDir().mkpath(folder); // the dialog opens there, so it must exist
    const QString proposed = folder + QLatin1Char('/') + Text1->text() + QStringLiteral(".txt");
    m_chooseSaveFile(proposed, [this](const QString &chosen) {
        if (!chosen.isEmpty()) // cancelled: nothing is copied
            CopyFileOver(m_program.paths().createdDomains(), chosen);
    });
}
