// Reading a document file in pieces gives what loading it whole gives.
#include "app/logic/chunked_encoder.h"
#include "app/logic/document_file.h"
#include "app/logic/file_io.h"
#include "app/logic/user_error.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/test_files.h"

#include <string>

using namespace zorvan;

namespace {

const std::string kFiles[] = {
    "",
    "X1",
    "%\r\nG01X1.\r\nG00Z5.\r\n",
    "%\nG01X1.\nY2.",                          // LF, no final break
    "%\r\nA\rB\r\n(\x8d" "H\x8b\xef)\r\n",     // a CR that is text, Shift-JIS
    "A\nB\rC\r\nD\r\r\n",                     // a mix, read by the standard loader
    "X1\rX2\rX3\r",                           // lone CRs only
    std::string("%\r\nA\0B\xff\x81\r\n\x81", 12),  // markers, a lead byte at the very end
    "%\r\n" + std::string(700, 'X') + "\r\nY\r\n",  // a line longer than the pieces
    "%\r\n(工具 T1)\r\nG01\r\n",               // UTF-8: characters cut by the pieces
    "\xEF\xBB\xBF%\r\nA\rB\r\n",                // a mark, then an NC program with a CR that is text
    "\xEF\xBB\xBF",                              // a mark alone
    "(工具)\r\n\xE5\xB7",                         // UTF-8 cut at the end: Shift-JIS
};

}  // namespace

TEST(LineEndCounter, PiecesCutAnywhereCountAsTheWhole)
{
    for (const std::string& bytes : kFiles) {
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            LineEndCounter counter;
            counter.add(std::string_view(bytes).substr(0, cut));
            counter.add(std::string_view(bytes).substr(cut));
            EXPECT_EQ(counter.style(), lineEndsOf(bytes)) << bytes << " cut at " << cut;
        }
    }
}

TEST(LineEndCounter, OneOddBreakAnywhereInALongTextMakesAMix)
{
    // Thousands of bytes, so that the breaks fall on every place of the blocks the bytes are
    // counted in, CR LF pairs cut between two blocks included.
    std::string crLf, lf;
    for (int i = 0; crLf.size() < 5000; ++i) {
        crLf += "G01X" + std::to_string(i) + "\r\n";
        lf += "G01X" + std::to_string(i) + "\n";
    }
    EXPECT_EQ(lineEndsOf(crLf), LineEnds::CrLf);
    EXPECT_EQ(lineEndsOf(lf), LineEnds::Lf);
    for (std::size_t at : {std::size_t{0}, std::size_t{15}, std::size_t{16}, std::size_t{4079}, std::size_t{4081},
                           crLf.size() - 1, crLf.size()}) {
        for (const char* odd : {"\n", "\r"}) {
            std::string bytes = crLf;
            bytes.insert(at, odd);
            EXPECT_EQ(lineEndsOf(bytes), LineEnds::Mixed) << "at " << at;
        }
    }
}

TEST(DocumentFileStream, PiecesOfAnySizeJoinToTheLoadedText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ncd");
    for (const std::string& bytes : kFiles) {
        writeFile(path, bytes);
        const LoadedDocument whole = loadDocument(std::string(bytes));
        for (std::size_t pieceSize : {1, 2, 3, 5, 64, 1 << 20}) {
            DocumentFileStream stream(path, pieceSize);
            EXPECT_EQ(stream.lineEnds(), whole.lineEnds) << bytes;
            EXPECT_EQ(stream.encoding(), whole.encoding) << bytes << " in pieces of " << pieceSize;
            std::string joined, lastPiece;
            bool eachEndsALine = true;
            stream.read([&](std::string_view piece) {
                if (!lastPiece.empty() && !lastPiece.ends_with("\r\n"))
                    eachEndsALine = false;
                lastPiece = piece;
                joined += piece;
            });
            EXPECT_EQ(joined, whole.text) << bytes << " in pieces of " << pieceSize;
            EXPECT_TRUE(eachEndsALine) << bytes << " in pieces of " << pieceSize;
        }
    }
}

TEST(DocumentFileStream, AFileThatChangesBetweenTheReadsIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ncd");
    writeFile(path, "%\r\nG01X1.\r\n");
    DocumentFileStream stream(path, 4);
    writeFile(path, "%\r\nG01X1.\r\nG01X2.\r\n");
    try {
        stream.read([](std::string_view) {});
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()), openFailureMessage(path, kFileChangedWhileRead).toStdString());
    }
}

TEST(DocumentFileStream, AMissingFileIsNamedAsALoadNamesIt)
{
    try {
        DocumentFileStream stream("/nonexistent/a.ncd");
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()), openFailureMessage("/nonexistent/a.ncd", systemReason(ENOENT)).toStdString());
    }
}

// Chunks cut anywhere encode as the whole text, also where a CR kept as text (a marker) stands
// right before a line feed that a replacement put there.
TEST(ChunkedEncoder, ChunksOfAnySizeEncodeAsTheWhole)
{
    const std::string keptCr = "\xEF\x9C\x8D";  // the marker of a CR byte
    const std::string text = "%\r\nX" + keptCr + "\n?" + keptCr + keptCr + "\r\nG01(\xE5\xB7\xA5)\r\n";
    for (LineEnds style : {LineEnds::CrLf, LineEnds::Lf, LineEnds::Cr}) {
        const std::string whole = encodeDocument(text, style);
        for (std::size_t chunk = 8; chunk < 20; ++chunk) {
            std::string chunked;
            ChunkedEncoder encoder(style, [&](std::string_view bytes) { chunked += bytes; }, chunk);
            for (char c : text)
                encoder.add(std::string_view(&c, 1));
            encoder.finish();
            EXPECT_EQ(chunked, whole) << "style " << int(style) << ", chunk " << chunk;
        }
    }
}
