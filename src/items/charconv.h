#pragma once
// Width conversions of printed texts. Pre-printed forms have boxes of fixed width,
// so texts move between half-width (ASCII and the half-width katakana, one byte each)
// and full-width (the double-byte forms). Every text is a CP932 byte string that the
// operation replaces in place; characters are walked with charLength, so odd bytes
// (a lone lead byte at the end) are copied, never read past.

#include <string>

namespace mivora {

// Digit and width conversion, by mode:
//   0  full-width digits to half-width; a "０" that begins a run of full-width digits
//      becomes a blank ("０４" gives " 4"), so dates print without leading zeros;
//   1  full-width to half-width (letters, digits, punctuation, katakana; a voiced kana
//      becomes the base kana and "ﾞ" or "ﾟ"); what has no half-width twin is copied;
//   2  mode 1 with one blank after each character of the text (for boxed fields);
//   3  half-width digits to full-width.
// Any other mode leaves the text as it is.
void CharCheck(std::string& text, int mode);

// "Ｌ" conversion: "１" becomes "ｌ" and "1" becomes "l", for forms that print the
// digit one as a small letter.
void CharTranse(std::string& text);

// Follows every character with count blanks (at most 47; below 1 adds nothing).
void SpaceSet(std::string& text, int count);

// Half-width to full-width: trims blanks (bytes up to 32) at both ends, then turns
// ASCII and half-width katakana into their full-width forms, joining a kana and its
// voicing mark into one character. Blanks inside stay half-width.
void ChangeChar(std::string& text);

} // namespace mivora
