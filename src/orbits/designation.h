// Minor-planet numbers and provisional designations in their readable and
// packed forms, as the Minor Planet Center writes them in MPCORB.DAT, in the
// comet file and in the 80-column observation line.
//
// Packed provisional designations come in two forms: the MPC's seven-character
// form ("J98SG2S" for 1998 SS162) used by the old report format, and a
// nine-character form with the cycle count as four digits ("J98S0162S") used
// by the new one. Survey designations pack to "PLS2040" (2040 P-L) and the
// like. Packed numbers are five characters: digits below 100,000, a letter for
// the ten-thousands up to 619,999 ("A0001" is 100001, "a0191" is 360191), and
// "~" with four base-62 digits from 620,000 on ("~0000" is 620000).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skarvel {

/// Kind of object a designation belongs to.
inline constexpr int kMinorPlanetKind = 0;
inline constexpr int kCometKind = 1;

/// Largest number the packed five-character form can hold: 620000 + 62^4 - 1.
inline constexpr std::int64_t kLargestPackedNumber = 15396335;

/// The MPC's five-character packed form of a minor-planet number.
///
/// 1..99999 as five digits with leading zeros ("00433"); 100000..619999 as the
/// letter of the ten-thousands (10..35 "A".."Z", 36..61 "a".."z") and the last
/// four digits ("A0004", "a0191"); 620000..15396335 as "~" and four base-62
/// digits (0-9, A-Z, a-z) of number - 620000 ("~000z" is 620061).
/// @return the packed text; nullopt for a number outside 1..15396335.
std::optional<std::string> PackNumber(std::int64_t number);

/// Reads a five-character packed number (the inverse of PackNumber). Five
/// digits ("00000" included, which gives 0), a letter A-Z or a-z with four
/// digits, or "~" with four base-62 digits.
/// @return the number; nullopt for any other text, including texts of another length.
std::optional<std::int64_t> UnpackNumber(std::string_view packed);

/// Packs a readable designation.
///
/// Survey designations ("2040 P-L", "3138 T-1", minor planets only) become
/// "PLS", "T1S", "T2S" or "T3S" and the number (padded with "0" to six digits
/// in the nine-character form). Otherwise, for a minor planet every "_" becomes
/// a blank and a blank is put at position 5 when the first blank stands
/// elsewhere; then the century ("18" I, "19" J, "20" K), the two year digits,
/// the half-month letter and, in the seven-character form, the cycle count
/// ("00" none, "0n", "nn", or a letter for the tens 10..35 and a digit) and the
/// second letter; a comet has its number in place of the cycle count and the
/// fragment ("0" or the fragment letter in lower case) last. The nine-character
/// form has the count or number as four digits.
/// "1998 SS162" packs to "J98SG2S", "2010 AB100" to "K10AA0B", "1998 SS" to
/// "J98S00S", "1995 O1" (comet) to "J95O010".
/// @param kind kMinorPlanetKind or kCometKind.
/// @param sevenChar true for the seven-character form, false for nine characters.
/// @return the packed text, or "" when the result is not a valid packed
///         designation of that kind (see ValidatePacked).
std::string PackDesignation(const std::string& readable, int kind, bool sevenChar);

/// Result of ValidatePacked.
struct PackedCheck {
  bool valid = false;
  int kind = kMinorPlanetKind;  ///< meaningful when valid
};

/// Tells whether a text is a packed designation of the given form.
///
/// Trailing blanks are removed; the length must be 7 (sevenChar) or 9. A
/// survey designation is a prefix "PLS", "T1S", "T2S" or "T3S" and digits
/// (kind 0). Otherwise the first character is "I", "J" or "K", characters 2-3
/// are digits, character 4 is a letter "A"-"Y" other than "I"; in the seven-
/// character form character 5 is a digit or capital letter and character 6 a
/// digit, in the nine-character form characters 5-8 are digits. The last
/// character decides the kind: "0" or a lower-case letter a comet, a capital
/// letter other than "I" a minor planet; anything else is not valid.
PackedCheck ValidatePacked(std::string_view text, bool sevenChar);

/// Result of UnpackDesignation.
struct UnpackedDesignation {
  std::string readable;
  bool isSevenChar = true;  ///< the text was in the seven-character form (or in neither)
};

/// The readable form of a packed designation ("J98SG2S" -> "1998 SS162",
/// "PLS2040" -> "2040 P-L", "J95O01b" (comet) -> "1995 O1-B").
///
/// The seven-character form is tried first, then the nine-character one. A
/// text valid in neither form, or valid for the other kind of object, is
/// returned unchanged with isSevenChar true.
UnpackedDesignation UnpackDesignation(const std::string& packed, int kind);

/// Tells whether a text is an object number.
///
/// Leading blanks are removed; mode 0 then removes a leading "(" and a
/// trailing ")" ("(433)"), mode 1 a trailing "P" or "D" (periodic comet
/// numbers, "2P"); the rest must be a decimal integer (ParseInteger).
bool IsNumberText(std::string_view text, int mode);

}  // namespace skarvel
