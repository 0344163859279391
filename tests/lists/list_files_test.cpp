// The list files: lookup, token encoding, and the template, value set and macro table formats.
#include "app/logic/user_error.h"
#include "lists/logic/conversion_tables.h"
#include "lists/logic/list_tokens.h"
#include "lists/logic/template_list.h"
#include "lists/logic/value_sets.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zorvan;
using namespace zorvan::lists;

namespace zorvan::lists {

void PrintTo(const ValueSet& s, std::ostream* os)
{
    *os << s.name << "[";
    for (const auto& v : s.values)
        *os << "'" << v << "' ";
    *os << "]";
}
void PrintTo(const TDoubleGrid& t, std::ostream* os)
{
    *os << t.name << "[";
    for (std::size_t r = 0; r < t.rowCount(); ++r)
        *os << "'" << t.searchTexts[r] << "'->'" << t.replacementTexts[r] << "' ";
    *os << "]";
}

}  // namespace zorvan::lists

namespace {

std::string crlf(std::initializer_list<const char*> lines)
{
    std::string bytes;
    for (const char* line : lines)
        bytes += std::string(line) + "\r\n";
    return bytes;
}

using Values = std::vector<std::string>;

ValueSet set(const char* name, Values values) { return {name, std::move(values)}; }

TDoubleGrid table(const char* name, std::vector<std::pair<std::string, std::string>> rows)
{
    TDoubleGrid t;
    t.name = name;
    for (auto& [search, replacement] : rows)
        t.addRow(search, replacement);
    return t;
}

// --- Token encoding --------------------------------------------------------------------------

struct TokenCase {
    std::string text;
    std::string token;
    std::string readBack;
};

class Tokens : public ::testing::TestWithParam<TokenCase> {};

TEST_P(Tokens, EncodeAndDecode)
{
    const TokenCase& c = GetParam();
    EXPECT_EQ(encodeToken(c.text), c.token);
    EXPECT_EQ(decodeToken(c.token), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(ListFiles, Tokens, ::testing::Values(
    TokenCase{"ROUGH CUT", "ROUGH_CUT", "ROUGH CUT"},
    TokenCase{"A_B", "A_B", "A B"},
    TokenCase{"", "@", ""},
    TokenCase{"@5", "@5", ""},
    TokenCase{"X\r\nY", "X?&Y", "X\r\nY"},
    TokenCase{"ダ ァ", "ダ_ァ", "ダ ァ"}));

// --- Value sets ------------------------------------------------------------------------------

const std::string kValueSetExample = crlf({"2", "A", "9", "G54", "-5.0", "@", "ROUGH_CUT", "@", "@", "@", "@", "@",
                                           "B", "9", "1", "2", "3", "4", "5", "6", "7", "8", "9"});

TEST(ValueSetFile, WorkedExampleRoundTripsByteForByte)
{
    const std::vector<ValueSet> sets = {set("A", {"G54", "-5.0", "", "ROUGH CUT", "", "", "", "", ""}),
                                        set("B", {"1", "2", "3", "4", "5", "6", "7", "8", "9"})};
    EXPECT_EQ(valueSetFileBytes(sets), kValueSetExample);
    EXPECT_EQ(parseValueSets(kValueSetExample), sets);
    EXPECT_EQ(valueSetFileBytes(parseValueSets(kValueSetExample)), kValueSetExample);
}

struct ValueSetReadCase {
    const char* what;
    std::string bytes;
    std::vector<ValueSet> sets;
};

class ValueSetRead : public ::testing::TestWithParam<ValueSetReadCase> {};

TEST_P(ValueSetRead, ReadsWhatIsThere)
{
    EXPECT_EQ(parseValueSets(GetParam().bytes), GetParam().sets) << GetParam().what;
}

const Values kNineEmpty(9);

INSTANTIATE_TEST_SUITE_P(ListFiles, ValueSetRead, ::testing::Values(
    ValueSetReadCase{"empty file", "", {}},
    ValueSetReadCase{"count 0", "0\r\n", {}},
    ValueSetReadCase{"count not a number", "x\r\nA\r\n1\r\nv\r\n", {}},
    ValueSetReadCase{"negative count", "-1 A 1 v", {}},
    ValueSetReadCase{"count with trailing letters", "2X A 1 v", {}},
    ValueSetReadCase{"any layout", "1\tA 3 a_b\n\n@5   x&y?z ", {set("A", {"a b", "", "x\ny\rz"})}},
    ValueSetReadCase{"more sets announced than present", "3\r\nA\r\n1\r\nv\r\n\r\n  \r\n", {set("A", {"v"})}},
    ValueSetReadCase{"cut inside a set", "2\r\nA\r\n9\r\n1\r\n2", {set("A", {"1", "2", "", "", "", "", "", "", ""})}},
    ValueSetReadCase{"cut after a name", "1\r\nA", {set("A", kNineEmpty)}},
    ValueSetReadCase{"value count not a number", "2 A zz B 1 v", {set("A", kNineEmpty)}},
    ValueSetReadCase{"huge value count", "1 A 99999999999999999999 1", {set("A", kNineEmpty)}},
    ValueSetReadCase{"cut in a long set", "1 A 1000000 v", {set("A", {"v", "", "", "", "", "", "", "", ""})}},
    ValueSetReadCase{"twelve values kept", "1 A 12 1 2 3 4 5 6 7 8 9 10 11 12",
                     {set("A", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"})}},
    ValueSetReadCase{"double-byte characters keep their second byte",
                     "1\r\n\x83\x5F\r\n2\r\n\x83\x5F\r\n\x83\x40\x35\r\n", {set("ダ", {"ダ", "ァ5"})}}));

TEST(ValueSetFile, MoreThanNineValuesAndLongTextsSurviveAReadAndAWrite)
{
    const std::string longValue(300, 'X');
    const std::string longName(300, 'N');
    const std::vector<ValueSet> sets = {set(longName.c_str(), {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", longValue})};
    const std::string bytes = valueSetFileBytes(sets);
    EXPECT_EQ(parseValueSets(bytes), sets);
    EXPECT_EQ(valueSetFileBytes(parseValueSets(bytes)), bytes);
}

struct RefusedCase {
    std::vector<ValueSet> sets;
    std::string named;  // part of the message
};

class ValueSetRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ValueSetRefused, NamesWhatTheFileCannotHold)
{
    try {
        valueSetFileBytes(GetParam().sets);
        FAIL() << "accepted";
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().named), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(ListFiles, ValueSetRefused, ::testing::Values(
    RefusedCase{{set("A B", {"1"})}, "「A B」"},
    RefusedCase{{set("", {"1"})}, "名前が空"},
    RefusedCase{{set("A", {"1"}), set("B\tC", {"1"})}, "「B\tC」"},
    RefusedCase{{set("K", {"1", "a\tb"})}, "「K」の$2"},
    RefusedCase{{set("K", {"\xF0\x9F\x98\x80"})}, "\xF0\x9F\x98\x80"}));

// --- Macro tables ----------------------------------------------------------------------------

const std::string kTableExample = crlf({"2", "CONV", "2", "#500 #600", "M99 @", "Non", "1", "A_B D"});

TEST(MacroTableFile, WorkedExampleRoundTripsByteForByte)
{
    const std::vector<TDoubleGrid> tables = {table("CONV", {{"#500", "#600"}, {"M99", ""}}), table("Non", {{"A B", "D"}})};
    EXPECT_EQ(conversionTableFileBytes(tables), kTableExample);
    EXPECT_EQ(parseConversionTables(kTableExample), tables);
    EXPECT_EQ(conversionTableFileBytes(parseConversionTables(kTableExample)), kTableExample);
}

struct TableReadCase {
    const char* what;
    std::string bytes;
    std::vector<TDoubleGrid> tables;
};

class TableRead : public ::testing::TestWithParam<TableReadCase> {};

TEST_P(TableRead, ReadsWhatIsThere)
{
    EXPECT_EQ(parseConversionTables(GetParam().bytes), GetParam().tables) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(ListFiles, TableRead, ::testing::Values(
    TableReadCase{"count 0", "0", {}},
    TableReadCase{"count not a number", "two T 1 a b", {}},
    TableReadCase{"cut inside a row", "2\r\nCONV\r\n2\r\n#500 #600\r\nM99", {table("CONV", {{"#500", "#600"}, {"M99", ""}})}},
    TableReadCase{"cut after a name", "1 T", {table("T", {})}},
    TableReadCase{"row count not a number", "2 T x U 1 a b", {table("T", {})}},
    TableReadCase{"same names", "2 T 1 a b T 1 c d", {table("T", {{"a", "b"}}), table("T", {{"c", "d"}})}},
    TableReadCase{"hand-written line breaks", "1 T 1 A&B G65_P", {table("T", {{"A\nB", "G65 P"}})}}));

TEST(MacroTableFile, RefusesATabInAText)
{
    EXPECT_THROW(conversionTableFileBytes({table("T", {{"a", "b\tc"}})}), UserError);
    EXPECT_THROW(conversionTableFileBytes({table("T U", {{"a", "b"}})}), UserError);
}

// --- Templates -------------------------------------------------------------------------------

struct TemplateCase {
    std::string bytes;
    std::vector<std::string> entries;
};

class TemplateRead : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateRead, OneEntryPerLine)
{
    EXPECT_EQ(parseTemplateList(GetParam().bytes), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(ListFiles, TemplateRead, ::testing::Values(
    TemplateCase{"", {}},
    TemplateCase{"A\r\n", {"A"}},
    TemplateCase{"A\n", {"A"}},
    TemplateCase{"A\r", {"A"}},
    TemplateCase{"A", {"A"}},
    TemplateCase{"\r\n\n\r", {"", "", ""}},
    TemplateCase{" G81 \t\r\nB", {" G81 \t", "B"}},
    TemplateCase{std::string("A\r\nB\0C\r\nD", 9), {"A", "B"}},
    TemplateCase{"\x83\x5F\r\n", {"ダ"}}));

TEST(TemplateFile, DefaultsAre85Bytes)
{
    EXPECT_EQ(defaultTemplateFileBytes().size(), 85u);
    EXPECT_EQ(defaultTemplates().front(), "G81XYZRF");
    EXPECT_EQ(defaultTemplates().back(), "G76XYZRIJ(Q)F");
}

// --- Lookup ----------------------------------------------------------------------------------

class Lookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* dir : {"cwd", "path1", "path2", "exe", "appdata"})
            QDir(root.path()).mkpath(dir);
        lookup.currentDir = dir("cwd");
        lookup.pathVariable = dir("path1") + ":" + dir("path2") + "/";
        lookup.executableDir = dir("exe");
        lookup.appDataDir = dir("appdata");
    }
    QString dir(const char* name) const { return root.filePath(name); }
    QString file(const char* in, const char* name = "Cange.list") const { return dir(in) + "/" + name; }
    void put(const char* in, const char* name = "Cange.list", const std::string& bytes = "0\r\n")
    {
        writeFile(file(in, name), bytes);
    }

    QTemporaryDir root;
    ListFileLookup lookup;
};

TEST_F(Lookup, FirstPlaceInOrderWins)
{
    const QString name = "Cange.list";
    EXPECT_FALSE(findListFile(lookup, name));
    const char* order[] = {"appdata", "exe", "path2", "path1", "cwd"};
    for (const char* in : order) {
        put(in);
        EXPECT_EQ(findListFile(lookup, name).value_or(""), QDir::cleanPath(file(in))) << in;
    }
}

TEST_F(Lookup, WindowsPathEntriesDropQuotes)
{
    lookup.windowsStyle = true;
    lookup.pathVariable = "\"" + dir("path1") + "/\";" + dir("path2") + "/";
    put("path1");
    EXPECT_EQ(findListFile(lookup, "Cange.list").value_or(""), file("path1"));
    EXPECT_EQ(joinListPath("C:\\bin", "f", true), "C:\\bin\\f");
    EXPECT_EQ(joinListPath("C:\\bin\\", "f", true), "C:\\bin\\f");
    EXPECT_EQ(joinListPath("/usr/bin", "f", false), "/usr/bin/f");
}

TEST_F(Lookup, WritesWhereTheFileWasFoundElseBesideTheProgram)
{
    put("path2");
    EXPECT_EQ(QDir::cleanPath(saveListFile(lookup, "Cange.list", "1\r\n")), QDir::cleanPath(file("path2")));
    EXPECT_EQ(fileBytes(file("path2")), "1\r\n");
    EXPECT_EQ(saveListFile(lookup, "MacCange.list", "2\r\n"), file("exe", "MacCange.list"));
}

TEST_F(Lookup, AnUnwritableProgramDirectorySendsNewFilesToTheUserDirectory)
{
    put("cwd", "blocker");
    lookup.executableDir = file("cwd", "blocker");  // a file, so nothing can be made inside it
    lookup.appDataDir = dir("appdata") + "/sub";
    EXPECT_EQ(saveListFile(lookup, "Cange.list", "1\r\n"), dir("appdata") + "/sub/Cange.list");
    EXPECT_EQ(findListFile(lookup, "Cange.list").value_or(""), dir("appdata") + "/sub/Cange.list");
}

TEST_F(Lookup, AFailedWriteNamesThePath)
{
    put("cwd", "blocker");
    lookup.executableDir = file("cwd", "blocker");
    lookup.appDataDir.clear();
    try {
        saveListFile(lookup, "Cange.list", "new");
        FAIL() << "written";
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find((file("cwd", "blocker") + "/Cange.list").toStdString()), std::string::npos)
            << e.what();
    }
}

TEST_F(Lookup, FirstStartWritesTheDefaultsAndShowsThem)
{
    TemplateLoad load = loadTemplates(lookup);
    EXPECT_EQ(load.entries, defaultTemplates());
    EXPECT_EQ(load.error, "");
    EXPECT_EQ(fileBytes(file("cwd", "function.list")), defaultTemplateFileBytes());
}

TEST_F(Lookup, AnEmptyTemplateFileGivesNoEntriesAndIsKept)
{
    put("exe", "function.list", "");
    EXPECT_TRUE(loadTemplates(lookup).entries.empty());
    EXPECT_FALSE(QFile::exists(file("cwd", "function.list")));
}

TEST_F(Lookup, AnUnreadableTemplateFileIsReportedAndTheListIsEmpty)
{
    // /proc/self/mem is a file that exists but cannot be read from its start.
    ASSERT_TRUE(QFile::link("/proc/self/mem", file("cwd", "function.list")));
    TemplateLoad load = loadTemplates(lookup);
    EXPECT_TRUE(load.entries.empty());
    EXPECT_NE(load.error.find("function.list は開けません"), std::string::npos) << load.error;
}

}  // namespace
