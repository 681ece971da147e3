// Hostile inputs: small crafted pictures and report files that ask for unbounded work or
// memory, each a class of attack on the player or the report store. Made at test time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qrp::hostile {

// How a case is run: the player's cases are rendered; the report store's are also listed
// and extracted.
enum class Exercise { Render, RenderAll, Store };

struct Case {
    std::string name;       // also the file name, with extension
    Exercise exercise;
    std::function<std::vector<uint8_t>()> make;
};

const std::vector<Case>& Cases();

}  // namespace qrp::hostile
