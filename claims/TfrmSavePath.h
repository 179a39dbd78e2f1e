#pragma once

#include "core/Environment.h"
#include "core/Prompts.h"

#include <QDialog>
#include <memory>

class QButtonGroup;

namespace Ui {
class TfrmSavePath;
}

namespace plok::claims {

/// The save-destination window: chooses between the Downloads folder and a folder of the user's (setting SAVEFDR,
/// written as soon as the user decides).
class TfrmSavePath : public QDialog
{
    Q_OBJECT

public:
    /// The window deletes itself once closed: create it with new.
    TfrmSavePath(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmSavePath() override;

    /// Shows the window modally and returns true once it has closed (the window is gone by then).
    bool DspSet();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void InitSet();
    void RadioGroup1Click(int itemIndex);
    void Button1Click();
    void ShowFolderControls(bool visible);

    std::unique_ptr<Ui::TfrmSavePath> m_ui;
    Environment m_env;
    Prompts& m_prompts;
    QButtonGroup* m_items = nullptr;
};

} // namespace plok::claims
