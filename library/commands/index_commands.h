// IX_ADD and IX_DROP: a table's indexes added and removed by the engine's own index operations,
// on the open table and without a restructure; the links of other tables are not touched.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "library/language/handler.h"
#include "shared/engine_records.h"

namespace vortab {

// Index option bits of IX_ADD's last argument.
namespace ixopt {
inline constexpr std::uint32_t kPrimary = 1, kUnique = 2, kDescending = 4,
                               kCaseInsensitive = 8, kNotMaintained = 16, kExpression = 32;
}

// The descriptor IX_ADD hands the engine; 9986 for a field the table lacks or a list of more
// than 16 key fields.
IndexDescriptor BuildIndexDescriptor(const std::vector<FieldDescriptor>& fields,
                                              const std::string& name, const std::string& keys,
                                              const std::string& descending, std::uint32_t options);

void IndexCommandHandler(const IdentifierEntry&, TExpression&, int, Value&, Value*);

}  // namespace vortab
