// The compare commands of the file menu: "比較…" (the document against a file chosen in a
// dialog) and "保存版と比較" (the document against its own file as saved). Both show the compare
// window; a line chosen on its left side puts the main editor's caret there.
#include "app/logic/document_file.h"
#include "app/logic/document_model.h"
#include "app/logic/user_error.h"
#include "app/ui/features.h"
#include "app/ui/operation_runner.h"
#include "app/ui/prompts.h"
#include "app/ui/shell.h"
#include "compare/ui/compare_window.h"

#include <QFileInfo>

namespace zorvan {

namespace {

constexpr int kCompareCode = 50;

// The saved version is read in the document's own encoding (a file reopened in a chosen encoding
// would otherwise be compared as detected); another file in the encoding it shows. The sides are
// named "編集中" (the editor's text) and, for the document's own file, "保存版", so that the two are
// told apart although they bear the same path.
void showComparison(Shell& shell, compare::CompareWindow* window, const QString& path,
                    std::optional<Encoding> encoding = std::nullopt, bool saved = false)
{
    const QString leftName = QStringLiteral("編集中: %1")
                                 .arg(shell.document().DocPath.isEmpty() ? QStringLiteral("無題")
                                                                         : shell.document().DocPath);
    const QString rightName = saved ? QStringLiteral("保存版: %1").arg(path) : path;
    shell.runner().queue(kCompareCode, QStringLiteral("比較中"), [&shell, window, path, leftName, rightName, encoding] {
        std::string right = loadDocument(readDocumentFile(path), encoding).text;
        window->compare(shell.editor().text(), std::move(right), leftName, rightName);
        window->show();
        window->raise();
        window->activateWindow();
    });
}

}  // namespace

void registerCompareFeatures(Shell& shell)
{
    auto* window = new compare::CompareWindow(shell.window());
    QObject::connect(window, &compare::CompareWindow::leftLineChosen, shell.window(), [&shell](int line) {
        TextEditor& editor = shell.editor();
        if (line < 0 || line >= editor.lineCount())
            return;
        editor.setCaret(editor.positionFromLine(line));
        editor.scrollCaretIntoView();
        shell.UpdateStatus();
    });

    shell.addCommand({.name = "CompareWithFile", .caption = "比較…", .run = [&shell, window] {
                          const QString path = shell.prompts().openFileName(
                              shell.window(), QStringLiteral("比較"), shell.document().DocPath,
                              QStringLiteral("ncd (*.ncd);;txt (*.txt);;ぜんぶ (*);;dat (*.dat)"));
                          if (!path.isEmpty())
                              showComparison(shell, window, path);
                      }});
    shell.addCommand({.name = "CompareWithSaved", .caption = "保存版と比較", .run = [&shell, window] {
                          const QString path = shell.document().DocPath;
                          if (path.isEmpty())
                              throw UserError("まだ保存されていないので、比べる保存版がありません。");
                          showComparison(shell, window, path, shell.document().encoding.encoding, true);
                      }});
    shell.placeInMenu(Shell::Menu::File, "CompareWithFile", "Close1Click");
    shell.placeInMenu(Shell::Menu::File, "CompareWithSaved", "Close1Click");
}

}  // namespace zorvan
