// The commands that renumber and tidy a program (search menu): "N番号振り直し", "N番号削除",
// "空白の整理", "空行の削除" and "コメントの削除", registered from the NC commands' registration.
#pragma once

namespace zorvan {

class Shell;

void registerTidyCommands(Shell& shell);

}  // namespace zorvan
