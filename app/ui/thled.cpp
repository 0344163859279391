#include "app/ui/thled.h"

#include "app/ui/textform.h"

namespace zorvan {

OpenFileThled::OpenFileThled(TFormText* form) : QObject(form), form_(form) {}

void OpenFileThled::Start()
{
    form_->runner().start(OperationCode);
    deleteLater();
}

void OpenFileThled::RunOperation()
{
    form_->runner().runNow(OperationCode);
}

}  // namespace zorvan
