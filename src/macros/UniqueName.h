#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

/// The rule that makes a new or changed name unique among `others` (the names of the same
/// kind, without the item being renamed). A candidate that equals none of them stays. Else
/// the family of the candidate is the names that are its base followed by two digits (the
/// base is the candidate without its last two characters when they are digits, else the
/// whole candidate), and the result is base + "%02d" of (the highest family number, at least
/// 1) + 1. A candidate of exactly two digits stays as it is. The base is shortened when the
/// result would exceed `maxChars` characters.
std::string makeUniqueName(std::string_view candidate, const std::vector<std::string>& others,
                           std::size_t maxChars);

/// A group name becomes a file name in the macro folder: a name that is empty, contains "/"
/// or a NUL, or is "." or "..", would name something outside it.
bool isSafeGroupName(std::string_view name);

} // namespace zel
