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

/// The first local file among the dropped URLs, or an empty text.
QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

class DropTarget : public QObject
{
public:
    DropTarget(QLineEdit* edit, Prompts& prompts, std::function<void(const std::u16string&)> take)
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
            if (DroppedFile(drag->mimeData()).isEmpty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString file = DroppedFile(drop->mimeData());
            if (file.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            const OverrideCursor busy(Qt::WaitCursor);
            RunGuarded(m_prompts, [&] { m_take(U(file)); });
            return true;
        }
        default:
            return false;
        }
    }

private:
    Prompts& m_prompts;
    std::function<void(const std::u16string&)> m_take;
};

} // namespace

void AcceptFileDrops(QLineEdit* edit, Prompts& prompts, std::function<void(const std::u16string& file)> take)
{
    edit->setAcceptDrops(true);
    edit->installEventFilter(new DropTarget(edit, prompts, std::move(take)));
}

} // namespace plok::gui
