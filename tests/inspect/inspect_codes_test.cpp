// The table of codes (inspect/data/nc_codes.txt) and the help for the word under the caret.
#include "inspect/logic/code_help.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace zorvan;
using namespace zorvan::inspect;

namespace {

std::string dataFile()
{
    QFile file(qEnvironmentVariable("ZORVAN_SOURCE_DIR") + "/inspect/data/nc_codes.txt");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

// Every line of the data file names a code and gives it a text, and the program carries the file.
TEST(InspectCodes, EveryCodeOfTheFileHasAText)
{
    const std::string text = dataFile();
    std::vector<int> bad;
    const CodeTable table = CodeTable::read(text, &bad);
    EXPECT_TRUE(bad.empty()) << "line " << bad.front();
    EXPECT_TRUE(builtinCodeTableText() == text) << "the program carries another table than the file";
    EXPECT_EQ(builtinCodeTable().size(), table.size());
    for (const std::string& code : table.codes()) {
        SCOPED_TRACE(code);
        const auto meaning = code.size() == 1 ? table.findAddress(code[0]) : table.find(code[0], std::stod(code.substr(1)));
        ASSERT_TRUE(meaning);
        EXPECT_FALSE(meaning->empty());
    }
}

// The codes the preview's interpreter follows, and the common ones, are all in the table.
TEST(InspectCodes, CommonCodesAreListed)
{
    const char* const codes[] = {"G00", "G01", "G02", "G03", "G04", "G10", "G15", "G16", "G17", "G18", "G19", "G20",
                                 "G21", "G28", "G30", "G31", "G40", "G41", "G42", "G43", "G44", "G49", "G50", "G50.1",
                                 "G51", "G51.1", "G52", "G53", "G54", "G54.1", "G55", "G56", "G57", "G58", "G59", "G61",
                                 "G64", "G65", "G66", "G67", "G68", "G69", "G73", "G74", "G76", "G80", "G81", "G82",
                                 "G83", "G84", "G85", "G86", "G87", "G88", "G89", "G90", "G90.1", "G91", "G91.1", "G92",
                                 "G94", "G95", "G96", "G97", "G98", "G99", "M00", "M01", "M02", "M03", "M04", "M05",
                                 "M06", "M07", "M08", "M09", "M19", "M29", "M30", "M98", "M99", "X", "Y", "Z", "I", "J",
                                 "K", "R", "F", "S", "T", "H", "D", "P", "Q", "L", "N", "O", "A", "B", "C"};
    const CodeTable& table = builtinCodeTable();
    for (const char* code : codes) {
        SCOPED_TRACE(code);
        const std::string c = code;
        EXPECT_TRUE(c.size() == 1 ? table.findAddress(c[0]) : table.find(c[0], std::stod(c.substr(1))));
    }
}

TEST(InspectCodes, ReadingTheTable)
{
    std::vector<int> bad;
    const CodeTable table = CodeTable::read("# comment\r\n\r\nG0\t早送り\r\nG54.1 追加\r\nM3 正転\r\nG12\r\n1X 数\r\nG-1 負\r\n", &bad);
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.find('G', 0).value_or(""), "早送り");
    EXPECT_EQ(table.find('G', 54.1).value_or(""), "追加");
    EXPECT_EQ(table.find('M', 3).value_or(""), "正転");
    EXPECT_FALSE(table.find('G', 54));
    EXPECT_EQ(bad, (std::vector<int>{6, 7, 8}));
    EXPECT_EQ(codeName('G', 0), "G00");
    EXPECT_EQ(codeName('G', 54.1), "G54.1");
    EXPECT_EQ(codeName('M', 198), "M198");
}

struct HelpCase {
    const char* line;
    long column;       // characters from the line's start
    const char* help;  // the whole help text
};

TEST(InspectCodes, HelpForTheWordAtTheCaret)
{
    preview::MacroVariables variables;
    variables.set(1, 10.5);
    variables.set(100, 3);
    const HelpCase cases[] = {
        {"G83X10.Q2.", 1, "G83 深穴ドリルサイクル: Q ごとに R 点まで戻る"},
        {"G83X10.Q2.", 0, "G83 深穴ドリルサイクル: Q ごとに R 点まで戻る"},
        {"G0X1.", 2, "X1.: X 軸の位置 (G90) または移動量 (G91)\n値: 1"},
        {"g1 x 1 000.", 4, "X 1 000.: X 軸の位置 (G90) または移動量 (G91)\n値: 1000"},
        {"M3S1000", 1, "M03 主軸正転 (S の回転数)"},
        {"G54.1P3", 3, "G54.1 追加ワーク座標系選択: P で番号 (P1〜P48 など)"},
        {"G123", 2, "G123: 表にないコードです"},
        {"X[#1+2.]", 3, "X[#1+2.]: X 軸の位置 (G90) または移動量 (G91)\n値: 12.5 (#1 = 10.5)"},
        {"Z-#100", 0, "Z-#100: Z 軸の位置 (G90) または移動量 (G91)、固定サイクルの穴底\n値: -3 (#100 = 3)"},
        {"Y#7", 1, "Y#7: Y 軸の位置 (G90) または移動量 (G91)\n値: 空 (この語はないものとされます) (#7 = 空)"},
        {"G[#100*27]", 0, "G81 ドリルサイクル (スポットドリル): 穴底まで切削送りし早送りで戻る\n値: 81 (#100 = 3)"},
        {"#2=#1*2 X#2", 9, "X#2: X 軸の位置 (G90) または移動量 (G91)\n値: 21 (#2 = 21)"},
        {"#2=#1*2 X#2", 0, "#2 に代入: 21 (#1 = 10.5)"},
        {"#100", 2, "マクロ変数 #100 = 3"},
        {"#5001", 1, "#5001: システム変数 (ここでは読めません)"},
        {"G01 (COMMENT X1.)", 10, ""},
        {"(工具 T1) G02X1.R2.", 9, "G02 円弧補間 時計回り (CW): I/J/K で中心、または R で半径を指定"},
        {"X1.;G04", 5, ""},
        {"V1.", 0, "V1.: Y 軸に平行な第 2 軸の位置 (機械により異なる)\n値: 1"},
        {"X1.2.3", 0, "X1.2.3: X 軸の位置 (G90) または移動量 (G91)\n値: 読めません"},
    };
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(codeHelp(builtinCodeTable(), c.line, byteOfColumn(c.line, c.column), variables), c.help);
    }
}

}  // namespace
