// Opens table T of the scratch directory and reads every value of every record, as the CLI's
// export does. Engine errors are the expected answer to a damaged file and are ignored.
#pragma once

namespace vortab::fuzz {

void ReadWholeTable();

}  // namespace vortab::fuzz
