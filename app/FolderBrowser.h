#pragma once

#include <QDialog>
#include <string_view>

class QDialogButtonBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace plok::app {

/// The folder browser: the folders of the whole file system as a tree, the caller's instruction above it, and the
/// buttons OK and キャンセル. It offers no way to make a folder, so that the user picks one that exists.
class FolderBrowser : public QDialog
{
    Q_OBJECT

public:
    /// `initial` is selected and shown when it is an existing folder; otherwise nothing is selected.
    FolderBrowser(std::u16string_view instruction, std::u16string_view initial, QWidget* parent = nullptr);
    ~FolderBrowser() override;

    /// The selected folder, without a trailing separator (but "/" for the root); empty when none is selected.
    QString folder() const;

private:
    void SelectionChanged();

    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QDialogButtonBox* m_buttons;
    QPushButton* m_ok = nullptr;
};

} // namespace plok::app
