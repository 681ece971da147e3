// Test support: an EMF picture's records as a list, and lookups by type.
#pragma once

#include "emf/record_reader.h"

#include <cstdint>
#include <vector>

namespace qrp::emf::test {

inline std::vector<Record> AllRecords(Bytes picture)
{
    std::vector<Record> records;
    RecordReader reader(picture);
    while (auto r = reader.Next()) records.push_back(*r);
    return records;
}

inline std::vector<Record> RecordsOfType(Bytes picture, uint32_t type)
{
    std::vector<Record> out;
    for (const Record& r : AllRecords(picture))
        if (r.Type() == type) out.push_back(r);
    return out;
}

inline std::vector<uint32_t> RecordTypes(Bytes picture)
{
    std::vector<uint32_t> types;
    for (const Record& r : AllRecords(picture)) types.push_back(r.Type());
    return types;
}

// The payload's 32-bit values after type and size, as signed integers.
inline std::vector<int32_t> Fields(const Record& r, size_t count)
{
    std::vector<int32_t> v;
    for (size_t i = 0; i < count; ++i) v.push_back(r.I32(8 + 4 * i).value_or(-999999));
    return v;
}

}  // namespace qrp::emf::test
