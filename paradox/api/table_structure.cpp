// The helpers of the structure types: type letters, native BCD check values, driver code pages.
#include "paradox/api/table_structure.h"

#include "paradox/api/engine_call_internal.h"

#include "paradox/format/field_codec.h"
#include "paradox/format/language_driver.h"
#include "paradox/format/schema.h"
#include "paradox/format/val_value.h"

namespace paradox::api {

char ParadoxTypeLetter(ParadoxType type) { return paradox::PxTypeLetter(static_cast<paradox::PxType>(type)); }

std::optional<std::string> NativeBcdText(const NativeValue& native) { return paradox::NativeBcdText(native.data()); }

NativeValue NativeBcd(const std::string& text, int decimals) {
    constexpr std::uint8_t kBcdType = static_cast<std::uint8_t>(paradox::PxType::Bcd);
    std::uint8_t record[17] = {};
    detail::Call([&] { paradox::EncodeBcd(text, decimals, record); });
    NativeValue native{};
    paradox::DecodeCheckValue(kBcdType, static_cast<std::uint8_t>(decimals), record, sizeof record, native.data(),
                              native.size());
    return native;
}

std::uint16_t LanguageDriverCodePage(const std::string& languageDriver) {
    const auto driver = paradox::FindLanguageDriver(languageDriver);
    return driver ? driver->codePage : 0;
}

}  // namespace paradox::api
