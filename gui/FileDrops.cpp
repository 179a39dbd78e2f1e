#include "gui/FileDrops.h"

#include "gui/Guard.h"
#include "gui/QtText.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace plok::gui {

namespace {

/// The local files among the dropped URLs, in their order.
std::vector<std::u16string> DroppedFiles(const QMimeData* data)
{
    std::vector<std::u16string> files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.push_back(U(url.toLocalFile()));
    return files;
}

class DropTarget : public QObject
{
public:
    DropTarget(QLineEdit* edit, Prompts& prompts, std::function<void(const std::vector<std::u16string>&)> take)
        : QObject(edit)
        , m_prompts(prompts)
        , m_take(std::move(take))
    { }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (DroppedFiles(drag->mimeData()).empty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::vector<std::u16string> files = DroppedFiles(drop->mimeData());
            if (files.empty()) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            const OverrideCursor busy(Qt::WaitCursor);
            RunGuarded(m_prompts, [&] { m_take(files); });
            return true;
        }
        default:
            return false;
        }
    }

private:
    Prompts& m_prompts;
    std::function<void(const std::vector<std::u16string>&)> m_take;
};

} // namespace

void AcceptFileDrops(
    QLineEdit* edit, Prompts& prompts, std::function<void(const std::vector<std::u16string>& files)> take)
{
    edit->setAcceptDrops(true);
    edit->installEventFilter(new DropTarget(edit, prompts, std::move(take)));
}

} // namespace plok::gui
