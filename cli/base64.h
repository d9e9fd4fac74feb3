// Base64 (RFC 4648, standard alphabet, '=' padding) for byte fields and binary blobs in export.
#pragma once
#include <string>
#include <string_view>

namespace vortab::cli {

void AppendBase64(std::string& out, std::string_view bytes);

}  // namespace vortab::cli
