// Placeable Windows metafiles made here, for the corpus check: a page of text, shapes and a
// bitmap on A4 and Letter paper, portrait and landscape, at several units per inch. Their GDI
// renderings are kept beside the check (references/NAME.png, 794 pixels wide).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corpuscheck {

struct GeneratedPicture {
    std::string name;  // file name, "NAME.wmf"
    std::vector<uint8_t> bytes;
};

std::vector<GeneratedPicture> PlaceableWmfs();

}  // namespace corpuscheck
