// Header of a secondary index data file (.Xnn or .XGn): the facts the index descriptors are
// built from. The same layout as a .DB header, so it also reads .DB headers. Parsing is bounded
// by the header size; a short or inconsistent header fails with 8961 (corrupt header).
// Layout on disk: doc/format-secondary-index.md.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace paradox {

struct IndexFileField {
    std::uint8_t type = 0;      // Paradox field type code
    std::uint8_t sizeByte = 0;  // as in the header
    std::string name;
};

struct IndexFileHeader {
    std::uint8_t fileType = 0;         // 0/2 .DB, 3/5 Xnn, 6/8 XGn
    std::uint8_t version = 0;          // header byte 0x39
    std::uint16_t headerSize = 0;
    std::uint16_t keyFields = 0;       // header 0x23
    std::uint8_t firstIndexField = 0;  // header 0x15: DB field number of the first index field
    std::uint8_t flags = 0;            // header 0x55
    std::vector<IndexFileField> fields;
    std::vector<std::uint16_t> fieldNumbers;  // version >= 5 only; bit 0x8000 = descending
    std::string sortOrderName;         // version >= 5 only
    std::string indexName;             // XGn only
};

// Parses header bytes (the file's first bytes, at least the whole header).
IndexFileHeader ParseIndexFileHeader(const std::vector<std::uint8_t>& bytes);

// Reads and parses the header of the file at path (9221 when it cannot be read); every error
// text names the file.
IndexFileHeader ReadIndexFileHeader(const std::string& path);

// Record bytes taken by a field of this type and size byte (0 for an unknown type).
std::uint16_t IndexFieldWidth(std::uint8_t type, std::uint8_t sizeByte);

}  // namespace paradox
