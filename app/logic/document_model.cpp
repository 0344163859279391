#include "app/logic/document_model.h"

#include "app/logic/text_editor.h"

namespace zorvan {

namespace {
const QString kTitle = QStringLiteral("Zorvan");
}

bool DocumentModel::modified() const { return editor_ && editor_->isModified(); }

void DocumentModel::setModified(bool modified)
{
    if (editor_)
        editor_->setModified(modified);
}

void DocumentModel::loadFailed()
{
    DocPath = shownPath_;
    PendingCaret = 0;
    loadEncoding.reset();
}

void DocumentModel::setMark(int n, int line)
{
    if (n >= 0 && n < static_cast<int>(Marks.size()))
        Marks[n] = line;
}

QString DocumentModel::title() const { return DocPath.isEmpty() ? kTitle : kTitle + ' ' + DocPath; }

QString DocumentModel::modifiedTitle() const { return kTitle + " *" + DocPath; }

}  // namespace zorvan
