// The machine as the interpreter holds it between two blocks: the modes, the tool, where the tool
// stands and how long the program has run so far. A reader of the program asks for it line by line
// (stateOfLine in interpreter.h); the run hands it to an observer after every block.
#pragma once

#include "preview/logic/coordinate_frame.h"
#include "preview/logic/toolpath.h"

namespace zorvan::preview {

struct MachineState {
    int motion = 0;             // 0..3: G00, G01, G02, G03
    int cycle = 0;              // 73, 74, 76, 81..89; 0 under G80
    int plane = 17;             // 17, 18, 19
    bool absolute = true;       // G90 (false: G91)
    bool inch = false;          // G20 (false: G21)
    bool feedPerRev = false;    // G95 (false: G94)
    bool returnToInitial = true;  // G98 (false: G99)
    int workOffset = 540;       // the G code times ten: 540..590, 541 (G54.1 with workOffsetP)
    int workOffsetP = 0;
    int lengthComp = 490;       // 430, 440 or 490
    int lengthOffset = 0;       // the last H
    int radiusComp = 400;       // 400, 410 or 420
    int radiusOffset = 0;       // the last D
    int toolCalled = 0;         // the last T
    int toolInSpindle = 0;      // the T of the last M06
    double feed = 0, spindle = 0;
    int spindleTurn = 5;        // 3, 4 or 5 (M03, M04, M05)
    bool mist = false, flood = false;  // M07, M08 (M09 both off)
    // Where the tool stands in program coordinates, and which axes are known there.
    double position[3] = {0, 0, 0};
    bool known[3] = {false, false, false};
    CoordinateFrame frame;  // G52/G92 shifts, rotation and mirror
    // What the moves so far come to: path length per kind and the estimated minutes (all, rapids).
    double length[kMoveKinds] = {};
    double minutes = 0, rapidMinutes = 0;

    // The position through the frame (the work coordinates before the shifts applied).
    void workPosition(double out[3]) const { frame.toDrawn(position, out); }
};

}  // namespace zorvan::preview
