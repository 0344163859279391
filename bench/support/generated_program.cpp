#include "bench/support/generated_program.h"

#include "app/logic/document_file.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <random>

namespace zorvan::bench {

namespace {

// A CAM style shortening of a coordinate: "X0.5" as "X.5", "X-0.5" as "X-.5".
void dropLeadingZeros(std::string& words)
{
    for (std::size_t i = 0; i + 2 < words.size(); ++i) {
        const bool afterAxis = words[i] == 'X' || words[i] == 'Y' || words[i] == 'Z';
        if (!afterAxis)
            continue;
        const std::size_t digit = words[i + 1] == '-' ? i + 2 : i + 1;
        if (digit + 1 < words.size() && words[digit] == '0' && words[digit + 1] == '.')
            words.erase(digit, 1);
    }
}

}  // namespace

std::string generatedProgramText(long lines)
{
    std::mt19937_64 random(1);
    auto uniform = [&random](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
    std::string text;
    text.reserve(static_cast<std::size_t>(lines) * 34);
    long written = 0;
    auto line = [&](const std::string& row) {
        if (written >= lines)
            return;
        text += row;
        text += "\r\n";
        ++written;
    };
    char buffer[128];
    auto format = [&buffer](const char* pattern, auto... values) {
        const int n = std::snprintf(buffer, sizeof buffer, pattern, values...);
        return std::string(buffer, static_cast<std::size_t>(std::max(n, 0)));
    };
    line("%");
    line("O1000 (SURFACE FINISH)");
    line("(工具 T1 ボールエンドミル R3)");
    line("G90G54G17G40G49G80");
    line("T1M06");
    line("G00X0.Y0.S12000M03");
    line("G43Z50.H01");
    long n = 10;
    double x = 0, y = 0, z = -1;
    bool linear = true;  // whether the modal motion is G01; an arc or a cycle line changes it
    const int feeds[] = {800, 1200, 2000};
    while (written < lines - 3) {
        const double r = uniform(0, 1);
        if (r < 0.80) {
            x += uniform(-0.5, 0.5);
            y += uniform(-0.5, 0.5);
            z = std::clamp(z + uniform(-0.05, 0.05), -30.0, 0.0);
            std::string words = uniform(0, 1) < 0.3 ? format("X%.3fY%.3f", x, y) : format("X%.3fY%.3fZ%.3f", x, y, z);
            if (uniform(0, 1) < 0.1)
                dropLeadingZeros(words);
            line(linear ? words : "G01" + words);
            linear = true;
        } else if (r < 0.90) {
            line(format("N%ldG01X%.3fY%.3fZ%.3fF%d", n, x, y, z, feeds[random() % 3]));
            n += 10;
            linear = true;
        } else if (r < 0.95) {
            line(format("G02X%.3fY%.3fI%.3fJ%.3f", x + 1, y, 0.5, 0.0));
            x += 1;
            linear = false;
        } else if (r < 0.97) {
            line(format("(仕上げ PASS %ld)", n));
        } else if (r < 0.99) {
            line(format("G81X%.3fY%.3fZ-5.R2.F150", x, y));
            line("G80");
        } else {
            line(format("#%ld=#%ld+%.1f", 500 + n % 50, 100 + n % 30, uniform(-5, 5)));
        }
    }
    line("G00Z50.");
    line("M30");
    text += "%\r\n";
    return text;
}

QString generatedProgramFile(long lines)
{
    const QString path = QDir::temp().filePath(QStringLiteral("zorvan-bench-%1.ncd").arg(lines));
    if (QFileInfo(path).size() > 0)
        return path;
    QSaveFile file(path);
    const std::string bytes = encodeDocument(generatedProgramText(lines));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.commit();
    }
    return path;
}

}  // namespace zorvan::bench
