// The printers by the device type they report (0..8; 9 until a printer is
// identified): the groups the driver and its users tell apart.
#pragma once

namespace darvo {

inline bool IsFirstGeneration(int t) {
    return t == 0 || t == 1 || t == 2 || t == 4 || t == 5;
}
inline bool IsSecondGeneration(int t) {
    return t == 3 || t == 6 || t == 7 || t == 8;
}
inline bool IsPexaFamily(int t) {
    return t == 7 || t == 8;
}
inline bool IsPharmacy(int t) {
    return t == 4 || t == 5 || t == 6 || t == 8;
}
inline bool IsNewerPrinter(int t) {
    return t == 3 || t == 6 || t == 7 || t == 8 || t == 9;
}

} // namespace darvo
