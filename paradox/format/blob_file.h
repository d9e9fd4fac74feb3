// The .MB file that holds blob values: reading a value from its pointer (own block or a slot
// of a sub-allocated block, every bound checked, 8963 when inconsistent) and appending new
// values (small ones packed 64 to a 4 KB block, large ones in blocks of their own).
// Layout on disk: doc/format-mb.md.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/format/field_codec.h"
#include "paradox/format/schema.h"
#include "paradox/storage/file_io.h"

namespace paradox {

inline constexpr uint32_t kMbBlock = 4096;
inline constexpr uint32_t kMbSmallLimit = 2048;  // values up to this size share a block

// The .MB header block of a new, empty blob file.
std::vector<uint8_t> NewBlobFileHeader();

// Graphic and OLE values carry an 8-byte prefix (type tag, length) inside the .MB.
std::string AddBlobPrefix(PxType t, const std::string& value);
std::string StripBlobPrefix(PxType t, std::string stored);

class BlobReader {
public:
    BlobReader(File file, uint32_t checksum);
    // The stored bytes of a value that lives in the .MB (ref.ref != 0).
    std::string read(const BlobRef& ref) const;

private:
    void readBytes(uint64_t off, uint8_t* buf, std::size_t n) const;  // decrypting, 256-aligned
    File file_;
    uint32_t checksum_;
    uint64_t size_;
};

class BlobWriter {
public:
    // Appends to `file`, whose current contents (a valid .MB) end at file.size().
    BlobWriter(File& file, uint32_t checksum);
    // Stores `stored` (prefix included) and returns its pointer.
    BlobRef write(const std::string& stored);
    void finish();  // writes the pending shared block and the header's modification counter

private:
    void flushSmall();
    void writeBlock(uint64_t off, std::vector<uint8_t>& data);  // encrypts in place when protected

    File& file_;
    uint32_t checksum_;
    uint64_t end_;
    uint16_t modCounter_ = 0;
    std::vector<uint8_t> small_;  // pending shared block
    uint64_t smallOffset_ = 0;
    int nextSlot_ = -1;
    uint32_t nextData_ = 0;
};

}  // namespace paradox
