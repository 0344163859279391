// Whether the axis swap takes the arcs along (I/J/K, G02/G03 and the planes), kept as "1" or "0"
// under the value "Arcs" of the group "swap" of the settings store ("Kw", "Zorvan").
#pragma once

namespace zorvan::nc {

// On when nothing usable is stored.
bool readSwapArcsSetting();
void writeSwapArcsSetting(bool on);

}  // namespace zorvan::nc
