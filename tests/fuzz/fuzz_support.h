// Helpers the fuzz targets share: a scratch directory of their own (on /dev/shm when it exists,
// so that the many small writes stay in memory) and writing an input there as a file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vortab::fuzz {

// A directory made once per process and emptied of nothing: targets overwrite their files.
const std::string& ScratchDir();

// Writes bytes to ScratchDir()/name, replacing what was there.
void WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size);

// Removes ScratchDir()/name when it exists.
void RemoveScratchFile(const std::string& name);

}  // namespace vortab::fuzz
