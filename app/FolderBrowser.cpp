#include "app/FolderBrowser.h"

#include "gui/QtText.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>

namespace plok::app {

namespace {

QString Clean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

/// The places offered beside the tree, each an existing folder, each once.
std::vector<std::pair<QString, QString>> Places()
{
    std::vector<std::pair<QString, QString>> places;
    const auto add = [&](const QString& name, const QString& path) {
        if (path.isEmpty() || !QFileInfo(path).isDir())
            return;
        for (const auto& place : places)
            if (place.second == Clean(path))
                return;
        places.emplace_back(name, Clean(path));
    };
    add(QStringLiteral("ホーム"), QDir::homePath());
    add(QStringLiteral("デスクトップ"), QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    add(QStringLiteral("ドキュメント"), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    add(QStringLiteral("ダウンロード"), QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    // Where the desktop mounts USB sticks and discs.
    const QString user = QFileInfo(QDir::homePath()).fileName();
    add(QStringLiteral("USBメモリなど"), QStringLiteral("/media/") + user);
    add(QStringLiteral("USBメモリなど"), QStringLiteral("/run/media/") + user);
    return places;
}

} // namespace

FolderBrowser::FolderBrowser(std::u16string_view instruction, std::u16string_view initial, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_model(new QFileSystemModel(this))
    , m_tree(new QTreeView(this))
    , m_places(new QListWidget(this))
    , m_buttons(new QDialogButtonBox(this))
{
    setWindowTitle(QStringLiteral("フォルダーの参照"));
    resize(560, 460);

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

    m_places->setObjectName(QStringLiteral("Places"));
    for (const auto& [name, path] : Places()) {
        auto* item = new QListWidgetItem(name, m_places);
        item->setData(Qt::UserRole, path);
        item->setToolTip(path);
    }
    m_places->setFixedWidth(m_places->sizeHintForColumn(0) + 2 * m_places->frameWidth() + 16);
    connect(m_places, &QListWidget::itemClicked, this,
        [this](const QListWidgetItem* item) { Reveal(item->data(Qt::UserRole).toString(), true); });

    m_ok = m_buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = m_buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    m_ok->setObjectName(QStringLiteral("OK"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    m_ok->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FolderBrowser::SelectionChanged);
    connect(m_tree, &QTreeView::doubleClicked, m_tree, &QTreeView::expand);
    // The model reads the folders in the background: each folder it adds above the one shown would push that one out
    // of view, until the user takes over.
    const auto follow = [this] {
        if (!m_revealed.isEmpty())
            m_tree->scrollTo(m_model->index(m_revealed), QAbstractItemView::PositionAtCenter);
    };
    // Queued: the view lays the new rows out first.
    connect(m_model, &QFileSystemModel::rowsInserted, this, follow, Qt::QueuedConnection);
    connect(m_model, &QFileSystemModel::layoutChanged, this, follow, Qt::QueuedConnection);
    connect(m_tree->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { m_revealed.clear(); });

    auto* browse = new QHBoxLayout;
    browse->addWidget(m_places);
    browse->addWidget(m_tree, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(browse, 1);
    layout->addWidget(m_buttons);

    const QString start = gui::Q(initial);
    if (!start.isEmpty() && QFileInfo(start).isDir())
        Reveal(start, true);
    else
        Reveal(QDir::homePath(), false);
    SelectionChanged();
}

FolderBrowser::~FolderBrowser() = default;

void FolderBrowser::Reveal(const QString& path, bool select)
{
    m_revealed = Clean(path);
    const QModelIndex index = m_model->index(m_revealed);
    if (select)
        m_tree->setCurrentIndex(index);
    m_tree->expand(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QString FolderBrowser::folder() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return {};
    return QDir::cleanPath(m_model->filePath(selected.front()));
}

void FolderBrowser::SelectionChanged()
{
    const QString chosen = folder();
    if (!chosen.isEmpty() && chosen != m_revealed)
        m_revealed.clear();
    m_ok->setEnabled(!chosen.isEmpty());
}

} // namespace plok::app
