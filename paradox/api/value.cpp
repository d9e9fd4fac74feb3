// The calendar of the face's date values, which is the engine's.
#include "paradox/api/value.h"

#include "paradox/format/value.h"

namespace paradox::api {

std::int32_t DaysFromCivil(int year, unsigned month, unsigned day) { return paradox::DaysFromCivil(year, month, day); }

void CivilFromDays(std::int32_t days, int& year, unsigned& month, unsigned& day) {
    paradox::CivilFromDays(days, year, month, day);
}

}  // namespace paradox::api
