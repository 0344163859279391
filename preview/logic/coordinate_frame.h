// Where a programmed point lies on the picture once the program's coordinate changes are
// applied: the programmable mirror (G51.1), the rotation in a plane (G68), then the shifts of the
// position setting (G92) and the local coordinate system (G52).
#pragma once

#include <cmath>

namespace zorvan::preview {

struct CoordinateFrame {
    bool mirrored[3] = {false, false, false};
    double mirrorAt[3] = {0, 0, 0};
    bool rotating = false;
    int rotationA = 0, rotationB = 1;  // the plane's axes
    double rotationCentre[2] = {0, 0};
    double cosine = 1, sine = 0;
    double positionShift[3] = {0, 0, 0};  // G92
    double localShift[3] = {0, 0, 0};     // G52
    bool identity = true;  // nothing of the above applies (kept by refresh())

    // Notes whether any change applies; call after changing the members.
    void refresh()
    {
        identity = !rotating;
        for (int i = 0; i < 3; ++i)
            identity = identity && !mirrored[i] && positionShift[i] == 0 && localShift[i] == 0;
    }
    void toDrawn(const double program[3], double drawn[3]) const
    {
        if (identity) {  // most programs: the points as written
            drawn[0] = program[0], drawn[1] = program[1], drawn[2] = program[2];
            return;
        }
        for (int i = 0; i < 3; ++i)
            drawn[i] = mirrored[i] ? 2 * mirrorAt[i] - program[i] : program[i];
        if (rotating)
            rotate(drawn, cosine, sine);
        for (int i = 0; i < 3; ++i)
            drawn[i] += positionShift[i] + localShift[i];
    }
    void toProgram(const double drawn[3], double program[3]) const
    {
        for (int i = 0; i < 3; ++i)
            program[i] = drawn[i] - positionShift[i] - localShift[i];
        if (rotating)
            rotate(program, cosine, -sine);
        for (int i = 0; i < 3; ++i)
            if (mirrored[i])
                program[i] = 2 * mirrorAt[i] - program[i];
    }
    // A direction (an arc's centre offset) as the picture has it.
    void vectorToDrawn(const double program[3], double drawn[3]) const
    {
        for (int i = 0; i < 3; ++i)
            drawn[i] = mirrored[i] ? -program[i] : program[i];
        if (rotating) {
            const double a = drawn[rotationA], b = drawn[rotationB];
            drawn[rotationA] = a * cosine - b * sine;
            drawn[rotationB] = a * sine + b * cosine;
        }
    }
    // Whether an arc in the plane of axes (a, b) turns the other way on the picture.
    bool reversesArcs(int a, int b) const { return mirrored[a] != mirrored[b]; }
    void setRotation(int a, int b, double centreA, double centreB, double degrees)
    {
        rotating = true;
        rotationA = a, rotationB = b;
        rotationCentre[0] = centreA, rotationCentre[1] = centreB;
        // Quarter turns exactly, so that a rotated square stays square to the last digit.
        const double quarters = degrees / 90;
        if (quarters == std::floor(quarters) && std::fabs(quarters) < 1e9) {
            static constexpr double kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
            const int k = static_cast<int>(std::fmod(std::fmod(quarters, 4) + 4, 4));
            cosine = kCos[k];
            sine = kSin[k];
            return;
        }
        const double radians = degrees * 3.14159265358979323846 / 180;
        cosine = std::cos(radians);
        sine = std::sin(radians);
    }

private:
    void rotate(double point[3], double c, double s) const
    {
        const double a = point[rotationA] - rotationCentre[0], b = point[rotationB] - rotationCentre[1];
        point[rotationA] = rotationCentre[0] + a * c - b * s;
        point[rotationB] = rotationCentre[1] + a * s + b * c;
    }
};

}  // namespace zorvan::preview
