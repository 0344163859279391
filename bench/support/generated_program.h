// The big programs the benchmarks work on, written by the benchmarks themselves so that they run
// from a clone. The program looks like CAM output for 3-D surface finishing: a "%" line, a
// program number, comments (some Japanese), sequence numbers, rapid and feed moves with X/Y/Z
// words, arcs with I/J, drilling cycles and macro variables; Shift-JIS with CR LF. The same line
// count always gives the same bytes, so a file written once is reused by later runs.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <string>

namespace zorvan::bench {

// The text of a program of `lines` lines (UTF-8, CR LF).
std::string generatedProgramText(long lines);

// A file holding the program of `lines` lines in the temporary folder, written when missing.
QString generatedProgramFile(long lines);

}  // namespace zorvan::bench
