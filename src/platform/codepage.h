#pragma once
// The PC's own table of Windows code page 932 (Shift-JIS as Windows writes it),
// from which the program's converter learns every character once.

namespace mivora {

// The character of one CP932 code (a byte below 0x100, else lead << 8 | trail);
// 0 when the code is no character, and for every code where the PC has no table.
char32_t cp932Character(unsigned code);

} // namespace mivora
