// The key buttons of the program's dialog templates: where each stands, which key it is, and
// the property stream each starts from. Used by the build-host generator of the templates'
// control lists and dialog-initialisation data.
#pragma once

#include <vector>

namespace pelo::program::layout {

struct KeyCell {
    int id;
    int x, y, cx, cy; // dialog units
    char keyChar; // 0 for the Shift button
};

// The keyboard window: the Shift button 1049 first, then 1012 to 1048 by id (1041 is unused).
// Digits on the first row, then QWERTYUIOP, ASDFGHJKL and ZXCVBNM beside Shift.
inline std::vector<KeyCell> KeyboardWindowKeys()
{
    static constexpr const char* rows[4] = { "1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM" };
    std::vector<KeyCell> cells { { 1049, 155, 68, 66, 22, 0 } };
    int id = 1012;
    for (int row = 0; row < 4; ++row) {
        if (row == 3) {
            id = 1042; // 1041, the empty cell after L, has no control
        }
        for (int i = 0; rows[row][i] != '\0'; ++i) {
            cells.push_back({ id++, 1 + 22 * i, 2 + 22 * row, 22, 22, rows[row][i] });
        }
    }
    return cells;
}

// The key-map editor page: the 36 keys of the keyboard window without Shift, 1012 to 1048 by
// id, each row starting at x = 35, the rows at y = 69, 91, 113 and 135.
inline std::vector<KeyCell> KeyMapPageKeys()
{
    static constexpr const char* rows[4] = { "1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM" };
    std::vector<KeyCell> cells;
    int id = 1012;
    for (int row = 0; row < 4; ++row) {
        if (row == 3) {
            id = 1042;
        }
        for (int i = 0; rows[row][i] != '\0'; ++i) {
            cells.push_back({ id++, 35 + 22 * i, 69 + 22 * row, 22, 22, rows[row][i] });
        }
    }
    return cells;
}

} // namespace pelo::program::layout
