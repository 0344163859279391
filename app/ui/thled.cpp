#include "app/ui/thled.h"

#include "app/ui/prompts.h"
#include "app/ui/textform.h"

#include <QLabel>
#include <QTimer>

namespace zorvan {

OpenFileThled::OpenFileThled(TFormText* form) : QObject(form), form_(form) {}

void OpenFileThled::Start()
{
    QMetaObject::invokeMethod(this, &OpenFileThled::runWhenFree, Qt::QueuedConnection);
}

void OpenFileThled::runWhenFree()
{
    // A modal box opened by a running operation spins the event loop; a runner reaching it then
    // waits until that operation is over.
    if (form_->Busy) {
        QTimer::singleShot(20, this, &OpenFileThled::runWhenFree);
        return;
    }
    RunOperation();
    deleteLater();
}

void OpenFileThled::RunOperation()
{
    form_->Busy = true;
    QLabel* caption = form_->statusPanels[3];
    if (caption->isVisible())
        caption->repaint();
    auto finish = [this] {
        OperationCode = 1;
        form_->setStatusText(3, QString());
        form_->Busy = false;
    };
    try {
        switch (OperationCode) {
        case 1:
            form_->LoadDocument();
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        finish();
        prompts().showError(form_, QString::fromUtf8(e.what()));
        return;
    }
    finish();
}

}  // namespace zorvan
