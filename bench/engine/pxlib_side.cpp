// The pxlib half of the benchmark: the same table written and read through pxlib's record
// buffer API (PX_put_data_* / PX_get_data_*).
// pxlib's header has no C++ linkage block of its own.
extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_table.h"

namespace bench {
namespace {

int FieldWidth(const BenchField& f) {
    switch (f.pxType) {
    case 0x01: return f.size;
    case 0x03: return 2;
    case 0x05: case 0x06: return 8;
    case 0x09: return 1;
    default: return 4;
    }
}

}  // namespace

long PxlibWrite(const std::string& path, long count) {
    pxdoc_t* doc = PX_new();
    if (!doc) return -1;
    // pxlib takes over the field array and names and frees them with the document.
    auto* fields = static_cast<pxfield_t*>(std::malloc(sizeof(pxfield_t) * kFieldCount));
    int recordSize = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        fields[i].px_fname = strdup(kFields[i].name);
        fields[i].px_ftype = static_cast<char>(kFields[i].pxType);
        fields[i].px_flen = FieldWidth(kFields[i]);
        fields[i].px_fdc = 0;
        recordSize += fields[i].px_flen;
    }
    if (PX_create_file(doc, fields, kFieldCount, path.c_str(), pxfFileTypNonIndexDB) < 0) {
        PX_delete(doc);
        return -1;
    }
    std::vector<char> data(static_cast<std::size_t>(recordSize));
    for (long n = 0; n < count; ++n) {
        const BenchRecord r = RecordNumber(static_cast<std::int32_t>(n));
        std::memset(data.data(), 0, data.size());
        char* p = data.data();
        PX_put_data_long(doc, p, 4, r.id), p += 4;
        PX_put_data_alpha(doc, p, 20, const_cast<char*>(r.name.c_str())), p += 20;
        PX_put_data_short(doc, p, 2, r.small), p += 2;
        PX_put_data_double(doc, p, 8, r.amount), p += 8;
        PX_put_data_double(doc, p, 8, r.price), p += 8;
        PX_put_data_long(doc, p, 4, r.day), p += 4;
        PX_put_data_byte(doc, p, 1, r.flag ? 1 : 0), p += 1;
        PX_put_data_alpha(doc, p, 10, const_cast<char*>(r.code.c_str())), p += 10;
        PX_put_data_long(doc, p, 4, r.count), p += 4;
        PX_put_data_alpha(doc, p, 30, const_cast<char*>(r.note.c_str()));
        if (PX_put_record(doc, data.data()) < 0) {
            PX_close(doc);
            PX_delete(doc);
            return -1;
        }
    }
    PX_close(doc);
    PX_delete(doc);
    return count;
}

long PxlibRead(const std::string& path) {
    pxdoc_t* doc = PX_new();
    if (!doc) return -1;
    if (PX_open_file(doc, path.c_str()) < 0) {
        PX_delete(doc);
        return -1;
    }
    const int records = PX_get_num_records(doc);
    const int fieldCount = PX_get_num_fields(doc);
    pxfield_t* fields = PX_get_fields(doc);
    int recordSize = 0;
    for (int i = 0; i < fieldCount; ++i) recordSize += fields[i].px_flen;
    std::vector<char> data(static_cast<std::size_t>(recordSize));
    long read = 0;
    volatile long sink = 0;
    for (int n = 0; n < records; ++n) {
        if (!PX_get_record(doc, n, data.data())) break;
        char* p = data.data();
        for (int i = 0; i < fieldCount; ++i) {
            const int len = fields[i].px_flen;
            switch (fields[i].px_ftype) {
            case pxfAlpha: {
                char* text = nullptr;
                if (PX_get_data_alpha(doc, p, len, &text) > 0 && text) {
                    sink = sink + text[0];
                    doc->free(doc, text);
                }
                break;
            }
            case pxfShort: {
                short v = 0;
                PX_get_data_short(doc, p, len, &v);
                sink = sink + v;
                break;
            }
            case pxfNumber: case pxfCurrency: {
                double v = 0;
                PX_get_data_double(doc, p, len, &v);
                sink = sink + static_cast<long>(v);
                break;
            }
            case pxfLogical: {
                char v = 0;
                PX_get_data_byte(doc, p, len, &v);
                sink = sink + v;
                break;
            }
            default: {
                long v = 0;
                PX_get_data_long(doc, p, len, &v);
                sink = sink + v;
                break;
            }
            }
            p += len;
        }
        ++read;
    }
    PX_close(doc);
    PX_delete(doc);
    return read;
}

}  // namespace bench
