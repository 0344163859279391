// The document: new, open, save, append and insert, the command line, the simulator hand-off.
#include "app/ui/textform.h"

namespace zorvan {

void TFormText::New1Click() {}
void TFormText::Open1Click() {}
void TFormText::Save1Click() {}
void TFormText::Saveas1Click() {}
void TFormText::OpenFromCommandLine() {}
void TFormText::StartOpen(const QString&) {}
void TFormText::LoadDocument() {}
void TFormText::MergeFile(const QString&, int) {}
void TFormText::PMAddFileClick() {}
void TFormText::PMInsertFileClick() {}
void TFormText::RunNcExecute() {}
void TFormText::RunNcThearExecute() {}

}  // namespace zorvan
