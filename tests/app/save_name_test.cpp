// The save dialog's default extension.
#include "app/logic/save_name.h"

#include <gtest/gtest.h>

using namespace zorvan;

TEST(SaveName, TheDefaultExtensionGoesOnlyOnANameWithoutOne)
{
    const struct { const char* chosen; const char* saved; } cases[] = {
        {"/nc/prog", "/nc/prog.ncd"},
        {"/nc/prog.ncd", "/nc/prog.ncd"},
        {"/nc/prog.txt", "/nc/prog.txt"},        // another extension is the user's choice
        {"/nc/prog.NCD", "/nc/prog.NCD"},
        {"/nc/v1.2/prog", "/nc/v1.2/prog.ncd"},  // a dot in a folder name is no extension
        {"/nc/.hidden", "/nc/.hidden"},
        {"prog", "prog.ncd"},
        {"/nc/加工プログラム", "/nc/加工プログラム.ncd"},
        {"/nc/", "/nc/"},
        {"", ""},                                // cancelled
    };
    for (const auto& c : cases)
        EXPECT_EQ(withDefaultSuffix(QString::fromUtf8(c.chosen)).toStdString(), c.saved) << c.chosen;
}
