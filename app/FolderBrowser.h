#pragma once

#include <QDialog>
#include <string_view>

class QDialogButtonBox;
class QFileSystemModel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace plok::app {

/// The folder browser: beside the folders of the whole file system as a tree, the places a clinic saves to (home,
/// desktop, documents, Downloads, removable media), the caller's instruction above, and the buttons OK and キャンセル.
/// It offers no way to make a folder, so that the user picks one that exists.
class FolderBrowser : public QDialog
{
    Q_OBJECT

public:
    /// `initial` is selected and kept in view while the tree loads when it is an existing folder; otherwise nothing is
    /// selected and the tree shows the home folder.
    FolderBrowser(std::u16string_view instruction, std::u16string_view initial, QWidget* parent = nullptr);
    ~FolderBrowser() override;

    /// The selected folder, without a trailing separator (but "/" for the root); empty when none is selected.
    QString folder() const;

private:
    void SelectionChanged();
    /// Shows `path` opened in the tree, selected when `select`, and keeps it in view while its surroundings load.
    void Reveal(const QString& path, bool select);

    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QListWidget* m_places;
    QDialogButtonBox* m_buttons;
    QPushButton* m_ok = nullptr;
    QString m_revealed; // kept in view until the user scrolls or picks another folder
};

} // namespace plok::app
