#include "app/logic/command_line.h"
#include "app/logic/document_file.h"
#include "app/logic/document_merge.h"
#include "app/logic/file_io.h"
#include "app/logic/memory_editor.h"
#include "app/logic/user_error.h"
#include "support/cli_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/test_files.h"

#include <QFileInfo>

#include <functional>
#include <iostream>
#include <random>

using namespace zorvan;

namespace {

// The UTF-8 of the marker that stands for byte `b`.
std::string marker(unsigned char b)
{
    char32_t c = kByteMarkerBase + b;
    std::string s;
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
    return s;
}

// The UTF-8 of the one marker that stands for a two-byte code that makes no character.
std::string pairMarker(unsigned char lead, unsigned char trail)
{
    const char32_t c = kBytePairMarkerBase + (char32_t{lead} << 8) + trail;
    return QString::fromUcs4(&c, 1).toStdString();
}

// Lines of random bytes without CR or LF, each ended by CR LF.
std::string randomCrLfFile(std::mt19937& random, bool ncProgram)
{
    std::uniform_int_distribution<int> byte(0, 255), lineLength(0, 400);
    std::string file = ncProgram ? "%\r\n" : "";
    for (int line = 0; line < 200; ++line) {
        int n = lineLength(random);
        for (int i = 0; i < n; ++i) {
            int b = byte(random);
            if (b == '\r' || b == '\n')
                b = 0xFF;
            if (i == 0 && line == 0 && !ncProgram && b == '%')
                b = 'X';
            file += static_cast<char>(b);
        }
        file += "\r\n";
    }
    return file;
}



}  // namespace

TEST(DocumentCodec, RandomBytesWithCrLfLineEndsSurviveLoadAndSave)
{
    std::mt19937 random(4);
    for (int round = 0; round < 20; ++round) {
        for (bool nc : {true, false}) {
            std::string file = randomCrLfFile(random, nc);
            for (Encoding e : {Encoding::ShiftJis, Encoding::Utf8})
                EXPECT_EQ(encodeDocument(readDocument(file, e), LineEnds::CrLf, {e}), file)
                    << "round " << round << (nc ? " %" : "") << encodingName(e);
        }
    }
}

TEST(DocumentCodec, EveryByteSequenceSurvivesTheCharacterCodec)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 50; ++round) {
        std::string bytes;
        for (int i = 0; i < 2000; ++i)
            bytes += static_cast<char>(byte(random));
        EXPECT_EQ(encodeDocument(decodeDocument(bytes)), bytes);
        EXPECT_EQ(encodeDocument(decodeDocument(bytes, Encoding::Utf8), LineEnds::CrLf, {Encoding::Utf8}), bytes);
    }
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(encodeDocument(decodeDocument(all)), all);
}

TEST(DocumentCodec, Utf8CharactersStayAndEveryOtherByteBecomesAMarker)
{
    struct Case {
        std::string bytes, text;
    } cases[] = {
        {"(工具 T1)", "(工具 T1)"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},               // beyond Shift-JIS, still text
        {"\x82\xa0", marker(0x82) + marker(0xA0)},              // Shift-JIS bytes
        {"\xC0\xAF", marker(0xC0) + marker(0xAF)},              // overlong
        {"\xED\xA0\x80", marker(0xED) + marker(0xA0) + marker(0x80)},  // a surrogate
        {"X\xE5\xB7", "X" + marker(0xE5) + marker(0xB7)},       // cut at the end
        {marker(0x41), marker(0xEF) + marker(0x9D) + marker(0x81)},  // a marker's own code point
        {std::string("A\0B", 3), "A" + marker(0) + "B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeDocument(c.bytes, Encoding::Utf8), c.text) << c.bytes;
        EXPECT_EQ(encodeDocument(c.text, LineEnds::CrLf, {Encoding::Utf8}), c.bytes) << c.bytes;
    }
}

TEST(DocumentEncoding, AMarkOrWellFormedMultiByteTextIsUtf8)
{
    const std::string mark(kByteOrderMark);
    const FileEncoding sjis{Encoding::ShiftJis, false}, utf8{Encoding::Utf8, false}, marked{Encoding::Utf8, true};
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<Encoding> chosen;
        FileEncoding expected;
    } cases[] = {
        {"empty", "", {}, sjis},
        {"ASCII, valid in both", "%\r\nG01X1.\r\n", {}, sjis},
        {"UTF-8", "(工具 T1)\r\n", {}, utf8},
        {"UTF-8 with NUL", std::string("(工具)\0", 9), {}, utf8},
        {"mark", mark + "G01", {}, marked},
        {"mark, then bytes that are no UTF-8", mark + "(\x8d\x48)", {}, marked},
        {"Shift-JIS", "(\x8d\x48\x8b\xef T1)", {}, sjis},
        {"half-width kana that read as UTF-8", "\xC3\xA9", {}, utf8},
        {"Shift-JIS that reads as UTF-8", "\xE3\x81\x82", {}, utf8},
        {"UTF-8 and one stray byte", "(工具)\x80", {}, sjis},
        {"overlong", "\xC0\xAF", {}, sjis},
        {"surrogate", "\xED\xA0\x80", {}, sjis},
        {"cut at the end", "(工具)\xE5\xB7", {}, sjis},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", {}, sjis},
        {"chosen Shift-JIS", "(工具)", Encoding::ShiftJis, sjis},
        {"chosen Shift-JIS, mark read as bytes", mark + "G01", Encoding::ShiftJis, sjis},
        {"chosen UTF-8", "(\x8d\x48)", Encoding::Utf8, utf8},
        {"chosen UTF-8, mark", mark, Encoding::Utf8, marked},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detectEncoding(c.bytes, c.chosen), c.expected) << c.name;
}

// A file read in pieces: the detection takes a character cut anywhere, by one or two piece ends.
TEST(DocumentEncoding, Utf8DetectionTakesFourByteCharactersCutByPieces)
{
    struct Case {
        std::string bytes;
        bool utf8;
    } cases[] = {
        {"(\xF0\x9F\x98\x80)", true},           // U+1F600
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},  // U+10000 and U+10FFFF, the ends of the range
        {"(\xF0\x9F\x98)", false},               // a character cut short
        {"(\xF0\x9F\x98", false},                // cut by the end of the file
        {"(\xF4\x90\x80\x80)", false},           // beyond U+10FFFF
        {"(\xF0\x8F\xBF\xBF)", false},           // overlong
    };
    for (const Case& c : cases) {
        const std::string_view bytes = c.bytes;
        for (std::size_t i = 0; i <= bytes.size(); ++i)
            for (std::size_t j = i; j <= bytes.size(); ++j) {
                Utf8Detector detector;
                detector.add(bytes.substr(0, i));
                detector.add(bytes.substr(i, j - i));
                detector.add(bytes.substr(j));
                EXPECT_EQ(detector.isUtf8(), c.utf8) << c.bytes << " cut at " << i << " and " << j;
            }
    }
}

TEST(DocumentCodec, ShiftJisBecomesTextAndOtherBytesBecomeMarkers)
{
    struct Case {
        std::string bytes, text;
    } cases[] = {
        {"G01X1.", "G01X1."},
        {"\x82\xa0", "あ"},
        {"(\x83\x65\x83X\x83g)", "(テスト)"},
        {"\xb1", "ｱ"},
        {"\\~", "\\~"},
        {std::string("A\0B", 3), "A" + marker(0) + "B"},
        {"\x80", marker(0x80)},
        {"\xff", marker(0xFF)},
        {"\xa0\xfd", marker(0xA0) + marker(0xFD)},
        {"X\x82", "X" + marker(0x82)},             // lead byte at the end
        {"\x82\x0a", marker(0x82) + "\n"},        // lead byte before a line feed
        {"\x85$", marker(0x85) + "$"},             // lead byte before a byte that is no trail byte
        // A lead and a trail byte that make no character are one marker: the trail byte is no
        // text of its own. So are the codes of the user-defined area, which show nothing.
        {"\x85\x40X", pairMarker(0x85, 0x40) + "X"},
        {"\x85\x85\x40", pairMarker(0x85, 0x85) + "@"},
        {"\xf0\x40", pairMarker(0xF0, 0x40)},
        {"\xf9\xfc", pairMarker(0xF9, 0xFC)},
        {"\xf5\x9f", pairMarker(0xF5, 0x9F)},
        // Codes that share a character (JIS, NEC row 13, NEC-selected and IBM extensions): the
        // code the character is written as reads as the character, the others as themselves.
        {"\x81\xe6", "∵"},
        {"\x87\x9a", pairMarker(0x87, 0x9A)},
        {"\xfa\x5b", pairMarker(0xFA, 0x5B)},
        {"\xfa\x5c", "纊"},
        {"\xed\x40", pairMarker(0xED, 0x40)},
        {"\x87\x54", "Ⅰ"},
        {"\xfa\x4a", pairMarker(0xFA, 0x4A)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeDocument(c.bytes), c.text) << c.text;
        EXPECT_EQ(encodeDocument(c.text), c.bytes) << c.text;
    }
}

TEST(DocumentCodec, TextThatShiftJisCannotHoldIsRefusedWithItsPlace)
{
    try {
        encodeDocument("G01\r\nX1\xF0\x9F\x98\x80");  // an emoji at line 1, column 2
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_NE(std::string(e.what()).find("1行 2桁"), std::string::npos) << e.what();
    }
    // A two-byte marker for a code that is a character ("あ") would read back as that character.
    EXPECT_THROW(encodeDocument(pairMarker(0x82, 0xA0)), UserError);
}

TEST(DocumentReader, LinesByKindOfFile)
{
    const std::string x300(300, 'X'), x255(255, 'X');
    struct Case {
        const char* name;
        std::string bytes, text;
    } cases[] = {
        {"empty line kept", "%\r\nA\r\n\r\nB\r\n", "%\r\nA\r\n\r\nB\r\n"},
        {"long line whole", "%\r\n" + x300 + "\r\n", "%\r\n" + x300 + "\r\n"},
        {"255 bytes, no extra line", "%\r\n" + x255 + "\r\nY\r\n", "%\r\n" + x255 + "\r\nY\r\n"},
        {"NUL and FF are text", std::string("%\r\nA\0B\xff" "C\r\n", 10), "%\r\nA" + marker(0) + "B" + marker(0xFF) + "C\r\n"},
        {"LF line ends", "%\nA\nB\n", "%\r\nA\r\nB\r\n"},
        {"lone CR stays in its line", "%\r\nA\rB\r\n", "%\r\nA" + marker('\r') + "B\r\n"},
        {"CR CR LF", "%\r\r\n", "%" + marker('\r') + "\r\n"},
        {"no final break", "%\r\nA", "%\r\nA"},
        {"standard: every kind of break", "A\nB\rC\r\nD", "A\r\nB\r\nC\r\nD"},
        {"standard: final break kept", "A\r\n\r\n", "A\r\n\r\n"},
        {"standard: CR then CR LF", "A\r\r\nB", "A\r\n\r\nB"},
        {"standard: long line whole", x300, x300},
        {"empty file", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readDocument(c.bytes), c.text) << c.name;
        std::string pieces;
        readDocument(c.bytes, [&](std::string_view piece) { pieces += piece; }, 3);
        EXPECT_EQ(pieces, c.text) << c.name << " (in pieces)";
    }
}

TEST(DocumentReader, MergeDropsTheEmptyLinesOfAnNcProgramOnly)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(readMergeLines("%\r\nA\r\n\r\nB\r\n"), (Lines{"%", "A", "B"}));
    EXPECT_EQ(readMergeLines("%\nA\n\n"), (Lines{"%", "A"}));
    EXPECT_EQ(readMergeLines("A\r\n\r\nB\r\n"), (Lines{"A", "", "B"}));
    EXPECT_EQ(readMergeLines("A\rB"), (Lines{"A", "B"}));
    EXPECT_EQ(readMergeLines("%\r\nA\rB\r\n"), (Lines{"%", "A" + marker('\r') + "B"}));  // a lone CR is text
    EXPECT_EQ(readMergeLines("%\r\r\n"), (Lines{"%" + marker('\r')}));
    EXPECT_EQ(readMergeLines("%" + std::string(300, 'Y')), (Lines{"%" + std::string(300, 'Y')}));
    EXPECT_EQ(readMergeLines("\xEF\xBB\xBF%\r\n(工具)\r\n\r\n"), (Lines{"%", "(工具)"}));  // in its own encoding
    // In pieces: the same lines, each with its break, the pieces cut between lines.
    std::string big = "%\r\n";
    for (int i = 0; big.size() < 700 * 1024; ++i)
        big += "N" + std::to_string(i) + "(\x8d\x48\x8b\xef)\r\n\r\n";  // 工具 in Shift-JIS
    for (const std::string& bytes : {std::string("A\r\n\r\nB"), std::string("%\nA\n\n"), big}) {
        std::string lines, pieces;
        for (const std::string& line : readMergeLines(bytes))
            lines += line + "\r\n";
        const std::vector<std::string> cut = readMergePieces(bytes);
        for (const std::string& piece : cut) {
            EXPECT_TRUE(piece.ends_with("\r\n"));
            pieces += piece;
        }
        EXPECT_EQ(pieces, lines);
        EXPECT_EQ(cut.size() > 1, bytes.size() > 300 * 1024);
    }
}

TEST(DocumentMerge, AppendAddsAfterTheLastLineAndInsertGoesBeforeTheCaretLine)
{
    struct Case {
        const char* text;
        long caret;
        MergeMode mode;
        const char* expected;
    } cases[] = {
        {"A\r\nB\r\n", 0, MergeMode::Append, "A\r\nB\r\nX\r\nY\r\n"},
        {"A\r\nB", 0, MergeMode::Append, "A\r\nB\r\nX\r\nY"},
        {"", 0, MergeMode::Append, "X\r\nY\r\n"},
        {"A\r\nB\r\n", 4, MergeMode::InsertAtCaretLine, "A\r\nX\r\nY\r\nB\r\n"},
        {"A\r\nB\r\n", 0, MergeMode::InsertAtCaretLine, "X\r\nY\r\nA\r\nB\r\n"},
        {"A\r\nB\r\n", 6, MergeMode::InsertAtCaretLine, "A\r\nB\r\nX\r\nY\r\n"},
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.text);
        editor.setCaret(c.caret);
        mergeLines(editor, {"X", "Y"}, c.mode);
        EXPECT_EQ(editor.text(), c.expected) << c.text << " caret " << c.caret;
    }
}

TEST(CommandLine, ArgumentsAreJoinedAndADigitLedOneIsTheCaret)
{
    auto open = parseCommandLine({"C:\\nc", "work\\a.ncd", "120"});
    ASSERT_TRUE(open);
    EXPECT_EQ(open->path, "C:\\nc work\\a.ncd");
    EXPECT_EQ(open->caret, 120);

    EXPECT_FALSE(parseCommandLine({}));
    auto plain = parseCommandLine({"/tmp/my prog.ncd"});
    EXPECT_EQ(plain->path, "/tmp/my prog.ncd");
    EXPECT_FALSE(plain->caret);
    auto twice = parseCommandLine({"a", "5", "b", "7"});
    EXPECT_EQ(twice->path, "a b");
    EXPECT_EQ(twice->caret, 7);

    for (const char* bad : {"12x", "99999999999", "1.5"})
        EXPECT_THROW(parseCommandLine({"a.ncd", bad}), UserError) << bad;
}

TEST(CommandLine, SimulatorArgumentsKeepAPathWithBlanksWhole)
{
    EXPECT_EQ(simulatorArguments("C:\\nc\\a.ncd", 10), (QStringList{"C:\\nc\\a.ncd", "l10", "s", "d"}));
    EXPECT_EQ(simulatorArguments("/tmp/my prog.ncd", std::nullopt), (QStringList{"/tmp/my prog.ncd", "s", "d"}));
}

TEST(DocumentFiles, AFailedSaveLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ncd");
    writeFile(path, "%\r\nOLD\r\n");
    EXPECT_THROW(saveDocumentFile(path, "%\r\nNEW\xF0\x9F\x98\x80\r\n"), UserError);
    EXPECT_EQ(fileBytes(path), "%\r\nOLD\r\n");
    EXPECT_THROW(saveDocumentFile(dir.filePath("no/such/dir/a.ncd"), "%\r\n"), UserError);
    EXPECT_THROW(saveDocumentFile(dir.path(), "%\r\n"), UserError);  // a directory

    saveDocumentFile(path, "%\r\nNEW あ" + marker(0x80) + "\r\n");
    EXPECT_EQ(fileBytes(path), "%\r\nNEW \x82\xa0\x80\r\n");
}

TEST(DocumentFiles, ASavedFileReadsBackByteForByte)
{
    QTemporaryDir dir;
    std::mt19937 random(5);
    const struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"NC program", "%\r\nO1000(\x83\x65\x83X\x83g)\r\nN10G01X1.\r\n%\r\n"},
        {"no final break", "%\r\nG00X0"},
        {"bytes that are no text", std::string("%\r\nA\0B\xff\x80\xf0\x40\r\n", 12)},
        {"random NC program", randomCrLfFile(random, true)},
        {"random other file", randomCrLfFile(random, false)},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        const QString opened = dir.filePath("opened.ncd"), saved = dir.filePath("saved.ncd");
        writeFile(opened, c.bytes);
        writeFile(saved, "%\r\nAN OLDER FILE, LONGER THAN SOME OF THE NEW ONES\r\n");
        const std::string text = readDocument(readDocumentFile(opened));
        saveDocumentFile(saved, text);
        EXPECT_TRUE(fileBytes(saved) == c.bytes) << c.name;
        EXPECT_TRUE(readDocument(readDocumentFile(saved)) == text) << c.name;
    }
}

TEST(DocumentFiles, ASaveThatCannotWriteLeavesTheOldFile)
{
    QTemporaryDir dir;
    const std::string old = "%\r\nOLD\r\n";
    struct Case {
        const char* name;
        QString path;
        std::function<bool()> prepare;  // false: the case cannot fail here
    } cases[] = {
        {"read-only directory", dir.filePath("ro/a.ncd"),
         [&] {
             QDir(dir.path()).mkdir("ro");
             writeFile(dir.filePath("ro/a.ncd"), old);
             QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner);
             QFile probe(dir.filePath("ro/probe"));
             return !probe.open(QIODevice::WriteOnly);  // a superuser writes anyway
         }},
        {"no room for a temporary name beside it", dir.filePath(QString(250, 'n')),
         [&] {
             writeFile(dir.filePath(QString(250, 'n')), old);
             return true;
         }},
    };
    for (const auto& c : cases) {
        if (!c.prepare()) {
            std::cout << "skipped: " << c.name << " (the directory is writable for this user)\n";
            continue;
        }
        EXPECT_THROW(saveDocumentFile(c.path, "%\r\nNEW\r\n"), UserError) << c.name;
        EXPECT_EQ(fileBytes(c.path), old) << c.name;
        EXPECT_EQ(QFileInfo(c.path).dir().entryList(QDir::Files).size(), 1) << c.name << ": nothing left behind";
    }
    QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(DocumentFiles, AnUnreadableFileIsNamedInTheMessage)
{
    try {
        readDocumentFile("/nonexistent/a.ncd");
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()), "/nonexistent/a.ncdﾌｧｲﾙを開けません。\nファイルまたはフォルダがありません");
    }
}

TEST(CliCat, ReproducesACrLfFileByteForByte)
{
    QTemporaryDir dir;
    std::mt19937 random(11);
    for (bool nc : {true, false}) {
        const std::string file = randomCrLfFile(random, nc);
        const QString path = dir.filePath(nc ? "a.ncd" : "b.txt");
        writeFile(path, file);
        CliRun r = runZorvanCli({"cat", path.toStdString()});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.out == file) << (nc ? "%" : "standard");
        CliRun inPlace = runZorvanCli({"cat", "--in-place", path.toStdString()});
        EXPECT_EQ(inPlace.status, 0);
        EXPECT_TRUE(fileBytes(path) == file);
    }
    CliRun lf = runZorvanCli({"cat"}, "%\nG01\n");
    EXPECT_EQ(lf.out, "%\nG01\n");
}

TEST(DocumentCodec, BigTextsCutInHalvesReadAndWriteAsWhole)
{
    // Texts of several megabytes are decoded and encoded in two halves at once; the result must
    // be the same as for the pieces one after another, and an error must name its real line.
    const std::string piece = "%N10 G01X1.\r\n(\x83\x65\x83\x58\x83\x67)\xFF\x80Y2.\r\n";
    ASSERT_EQ(piece.size(), 28u);
    std::string big;
    for (int i = 0; i < 200'000; ++i)
        big += piece;
    const std::string pieceText = zorvan::readDocument(piece);
    const std::string text = zorvan::readDocument(big);
    ASSERT_EQ(text.size(), pieceText.size() * 200'000);
    EXPECT_EQ(text.substr(text.size() - pieceText.size()), pieceText);
    EXPECT_EQ(text.substr(text.size() / 2 / pieceText.size() * pieceText.size(), pieceText.size()), pieceText);
    EXPECT_EQ(zorvan::encodeDocument(text), big);

    std::string withEmoji = text;
    const std::size_t lineOfEmoji = 399'990;  // two lines per piece: far in the lower half
    withEmoji.insert(pieceText.size() * (lineOfEmoji / 2), "\xF0\x9F\x98\x80");
    try {
        zorvan::encodeDocument(withEmoji);
        FAIL() << "an emoji cannot be written in Shift-JIS";
    } catch (const zorvan::UserError& e) {
        EXPECT_NE(std::string(e.what()).find(std::to_string(lineOfEmoji) + "行"), std::string::npos) << e.what();
    }
}

TEST(DocumentCodec, EncodingInPlaceGivesTheSameBytesAndMessages)
{
    // The command-line tool encodes the text in its own buffer; bytes and error messages must be
    // those of the copying encoder, for small texts and for big ones cut in halves.
    auto message = [](auto encode) {
        try {
            encode();
        } catch (const zorvan::UserError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const std::string line = "N1 (テスト\xEF\x9E\x80\xEF\x9F\xBF) X-1.5\r\n";  // markers U+F780, U+F7FF
    for (int lines : {1, 3, 300'000}) {
        std::string text;
        for (int i = 0; i < lines; ++i)
            text += line;
        EXPECT_EQ(zorvan::encodeDocumentOwned(std::string(text)), zorvan::encodeDocument(text)) << lines;
        // An emoji Shift-JIS has not, a stray continuation byte, sequences cut short.
        for (const char* wrong : {"\xF0\x9F\x98\x80", "\x80", "\xBF\xBF", "\xE3\x81", "\xF0\x9F\x98", "\xC3"}) {
            for (std::size_t at : {std::size_t{0}, line.size() + 4, text.size() / 2 + 7, text.size() - 3, text.size()}) {
                if (at > text.size())
                    continue;
                std::string bad = text;
                bad.insert(at, wrong);
                const std::string expected = message([&] { zorvan::encodeDocument(bad); });
                EXPECT_NE(expected, "no error");
                EXPECT_EQ(message([&] { zorvan::encodeDocumentOwned(std::string(bad)); }), expected)
                    << lines << " lines, at " << at << ", " << zorvan::countCharacters(wrong) << " characters";
            }
        }
    }
}

TEST(DocumentCodec, LineEndsOfOneStyleRoundTripAndAMixBecomesCrLf)
{
    struct Case {
        const char* bytes;
        LineEnds style;
    };
    const Case cases[] = {
        {"", LineEnds::CrLf},
        {"X1", LineEnds::CrLf},
        {"X1\r\nX2\r\n", LineEnds::CrLf},
        {"X1\nX2", LineEnds::Lf},
        {"X1\rX2\r\r", LineEnds::Cr},
        {"\n\n", LineEnds::Lf},
        {"X1\nX2\r\n", LineEnds::Mixed},
        {"X1\rX2\n", LineEnds::Mixed},
        {"\r\r\n", LineEnds::Mixed},
        {"%\nX1\n", LineEnds::Lf},
        {"%\rX1\r", LineEnds::CrLf},       // a lone CR is text in an NC program: no breaks
        {"%\nX1\rY\n", LineEnds::Lf},
        {"%\nX1\r\n", LineEnds::Mixed},
        {"%\r\n\xFF\x81\r\n", LineEnds::CrLf},
    };
    for (const Case& c : cases) {
        const std::string bytes = c.bytes;
        EXPECT_EQ(lineEndsOf(bytes), c.style) << bytes;
        const std::string text = readDocument(bytes);
        if (c.style == LineEnds::Mixed)
            EXPECT_EQ(encodeDocument(text, c.style), encodeDocument(text)) << bytes;
        else
            EXPECT_EQ(encodeDocument(text, c.style), bytes) << bytes;
        EXPECT_EQ(loadDocument(std::string(bytes)).lineEnds, c.style);
    }
}

TEST(DocumentCodec, AnUnwritableCharacterIsNamedAtItsLineWhateverTheLineEnds)
{
    for (LineEnds style : {LineEnds::CrLf, LineEnds::Lf, LineEnds::Cr}) {
        try {
            encodeDocument("X1\r\nX2\r\nX\xF0\x9F\x98\x80", style);
            FAIL() << "an emoji cannot be written in Shift-JIS";
        } catch (const UserError& e) {
            EXPECT_NE(std::string(e.what()).find("2行 1桁"), std::string::npos) << e.what();
        }
    }
}

TEST(DocumentFiles, ASaveKeepsThePermissionsAndTheLinkOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ncd"), link = dir.filePath("link.ncd");
    writeFile(path, "%\r\nOLD\r\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    ASSERT_TRUE(QFile::link(path, link));
    saveDocumentFile(link, "%\r\nNEW\r\n", LineEnds::Lf);
    EXPECT_EQ(fileBytes(path), "%\nNEW\n");
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), path);
    EXPECT_EQ(QFile::permissions(path) & 0xF0FF,  // the owner's, the group's and the others' bits
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left
}

TEST(DocumentFiles, WritingIntoAMissingDirectoryNamesTheSystemsReason)
{
    QTemporaryDir dir;
    try {
        writeFileAtomically(dir.filePath("no/such.ncd"), "X");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.reason(), "ファイルまたはフォルダがありません");
    }
}
