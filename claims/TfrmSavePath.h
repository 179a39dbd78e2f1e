#pragma once

#include "gui/ChildWindow.h"

#include <memory>

class QButtonGroup;

namespace Ui {
class TfrmSavePath;
}

namespace plok::claims {

/// The save-destination window: chooses between the Downloads folder and a folder of the user's (setting SAVEFDR,
/// written as soon as the user decides).
class TfrmSavePath : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmSavePath(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmSavePath() override;

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void InitSet();
    void RadioGroup1Click(int itemIndex);
    void Button1Click();
    void ShowFolderControls(bool visible);

    std::unique_ptr<Ui::TfrmSavePath> m_ui;
    QButtonGroup* m_items = nullptr;
};

} // namespace plok::claims
