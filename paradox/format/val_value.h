// Conversion of a validity-check value from its on-disk record encoding (as a .VAL stores
// minimum, maximum and default) into the native form of ValidityCheckDescriptor buffers.
// Layout on disk: doc/format-val.md.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <cstdint>

namespace paradox {

// Native forms by Paradox type: Alpha zero-terminated text; Date/Long/AutoInc/Time int32;
// Short int16; Logical int16 0/1; Number/Money/Timestamp double; BCD the engine's BCD record
// (precision byte, sign|decimals byte, 32 packed digits); Bytes and anything else raw bytes.
// src holds `width` record bytes; out receives at most outSize bytes and is zero-filled first.
void DecodeCheckValue(std::uint8_t type, std::uint8_t sizeByte, const std::uint8_t* src, std::size_t width,
                      std::uint8_t* out, std::size_t outSize);

// The native BCD form (precision, sign|decimals, 32 packed digits) as exact decimal text with
// '.' as the point; nullopt when a nibble is not a digit or the decimals exceed 32.
std::optional<std::string> NativeBcdText(const std::uint8_t* native);

}  // namespace paradox
