// zorvan-cli desk-calc: key syntax, output, trace and exit status.
#include "cli/desk_calc_command.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zorvan {
namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun runCli(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runDeskCalcCommand(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(DeskCalcCommand, PrintsTheDisplayAfterTheLastKey)
{
    const struct { std::vector<std::string> args; const char* out; } cases[] = {
        {{"12+3*2="}, "18\n"},
        {{"12", "+3", "*2", "="}, "18\n"},
        {{"12{DMS}30{DMS}15{DMS}"}, "12.5041666666667\n"},
        {{"12.5i{DMS}"}, "12\u00B030\u20320\u20330\n"},
        {{"1+2{Enter}"}, "3\n"},
        {{"1+2{Esc}"}, "0\n"},
        {{"5{MA}{Esc}i{MA}"}, "5\n"},
        {{"1{Min}{Esc}{MR}{M+}{MR}"}, "2\n"},
        {{"3{M-}{MR}{MC}"}, "-3\n"},
        {{"12{BS}"}, "1\n"},
        {{""}, "0\n"},
        {{"-5"}, "5\n"},
        {{"\u3042"}, "0\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli(c.args);
        EXPECT_EQ(r.status, 0) << c.args.front();
        EXPECT_EQ(r.out, c.out) << c.args.front();
        EXPECT_EQ(r.err, "") << c.args.front();
    }
}

TEST(DeskCalcCommand, TracePrintsOneLinePerKey)
{
    const CliRun r = runCli({"--trace", "5{Min}", "i+"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "5\t5\t\n{Min}\t5\tM\ni\t5\tM inv\n+\t5\tM\n");
}

TEST(DeskCalcCommand, MessagesGoToTheErrorStream)
{
    const struct { const char* keys; const char* out; const char* err; } cases[] = {
        {"1/0=", "0\n", "0 による浮動小数点数除算\n"},
        {"2\\r", "-2\n", "不正な浮動小数点数演算命令\n"},
        {"10o400=", "400\n", "浮動小数点数のオーバーフロー\n"},
        {"12.5i{DMS}{MA}", "12\u00B030\u20320\u20330\n",
         "'12\u00B030\u20320\u20330' は浮動小数点数ではありません\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli(std::vector<std::string>{c.keys});
        EXPECT_EQ(r.status, 0) << c.keys;
        EXPECT_EQ(r.out, c.out) << c.keys;
        EXPECT_EQ(r.err, c.err) << c.keys;
    }
}

TEST(DeskCalcCommand, MalformedArguments)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--trace"}, {"1{Foo}"}, {"1{Min"}, {"{MG}"}, {"{}"}, {"{min}"}}) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: zorvan-cli desk-calc"), std::string::npos);
    }
}

TEST(DeskCalcCommand, KeyNames)
{
    const auto keys = parseDeskCalcKeys("{Min}{M+}{M-}{MR}{MC}{DMS}{BS}{Enter}{Esc}{MA}{MF}x\u3042");
    ASSERT_TRUE(keys);
    std::vector<int> codes;
    std::vector<int> slots;
    for (const auto& k : *keys) {
        codes.push_back(static_cast<unsigned char>(k.code));
        slots.push_back(k.slot);
    }
    EXPECT_EQ(codes, (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 13, 27, 0, 0, 'x', 0x82, 0xA0}));
    EXPECT_EQ(slots, (std::vector<int>{-1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 5, -1, -1, -1}));
    EXPECT_EQ(keys->back().name, "\u3042");
}

}  // namespace
}  // namespace zorvan
