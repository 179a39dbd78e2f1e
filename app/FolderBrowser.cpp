#include "app/FolderBrowser.h"

#include "gui/QtText.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace plok::app {

FolderBrowser::FolderBrowser(std::u16string_view instruction, std::u16string_view initial, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_model(new QFileSystemModel(this))
    , m_tree(new QTreeView(this))
    , m_buttons(new QDialogButtonBox(this))
{
    setWindowTitle(QStringLiteral("フォルダーの参照"));
    resize(420, 460);

    auto* text = new QLabel(gui::Q(instruction), this);
    text->setObjectName(QStringLiteral("Instruction"));
    text->setWordWrap(true);

    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    m_model->setRootPath(QDir::rootPath());
    m_tree->setObjectName(QStringLiteral("Folders"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);

    m_ok = m_buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = m_buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    m_ok->setObjectName(QStringLiteral("OK"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    m_ok->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FolderBrowser::SelectionChanged);
    connect(m_tree, &QTreeView::doubleClicked, m_tree, &QTreeView::expand);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_buttons);

    const QString start = gui::Q(initial);
    if (!start.isEmpty() && QFileInfo(start).isDir()) {
        const QModelIndex index = m_model->index(QDir::cleanPath(QFileInfo(start).absoluteFilePath()));
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
        m_tree->expand(index);
    }
    SelectionChanged();
}

FolderBrowser::~FolderBrowser() = default;

QString FolderBrowser::folder() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return {};
    return QDir::cleanPath(m_model->filePath(selected.front()));
}

void FolderBrowser::SelectionChanged()
{
    m_ok->setEnabled(!folder().isEmpty());
}

} // namespace plok::app
